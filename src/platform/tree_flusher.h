#pragma once
// Making a new tree of files durable while it is being built. Linux flushes
// a whole file system in one call, so there nothing happens before the
// end. Windows flushes file by file, each a journal commit that may take
// milliseconds: there every finished file is flushed on threads of their
// own while the building goes on, so the builder never waits for the disk,
// and only what is left (and the folders) is flushed at the end.

#include <memory>
#include <string>
#include <string_view>

#include "platform/outcome.h"

namespace vantor::platform {

class tree_flusher {
 public:
  enum class method {
    as_the_system_does,  ///< one call at the end where the system has it, else each file
    each_file,           ///< each file on the flushing threads, on any system (tests, benchmarks)
  };

  /// For the tree below folder (resolved, as the builder made it).
  explicit tree_flusher(std::string folder, method how = method::as_the_system_does);
  /// Waits for the flushing threads; what they did not finish is not durable.
  ~tree_flusher();
  tree_flusher(const tree_flusher&) = delete;
  tree_flusher& operator=(const tree_flusher&) = delete;

  /// A file below the folder is complete and closed: it may be flushed now.
  /// Waits while the flushing threads are far behind, so the paths waiting
  /// stay few.
  void file_done(std::string_view path);
  /// Makes everything below the folder durable (what the threads flushed,
  /// every other file and every folder): success only when all of it is.
  /// Asks the fault hook as flush_tree does, and each file's flush as flush.
  status finish();

 private:
  struct shared;
  std::unique_ptr<shared> shared_;
};

}  // namespace vantor::platform
