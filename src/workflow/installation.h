#pragma once
// Putting a set of prepared files, and a new folder, in place together.

#include <optional>
#include <variant>
#include <vector>

#include "platform/outcome.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "services/values.h"

namespace vantor {

/// Files written beside their targets, put in place one rename each (and
/// their folder flushed), in the order added. When a step fails, nothing
/// after it goes in and the files already put in place that were added as
/// undoable get their old contents back, so a failed command leaves the game
/// as it was; only when the last file's folder flush fails is the set left
/// complete (and reported as failed). Only small files should be undoable
/// (their old bytes are held in memory); add the large one last.
/// A new folder is one rename too, and always undone: when a later step
/// fails, it is taken away again.
class installation {
 public:
  void add(staged_file file, bool undoable);
  void add(staged_folder folder);
  /// Puts every file in place; the first failure, if any.
  status commit_all();

 private:
  struct step {
    std::variant<staged_file, staged_folder> item;
    bool undoable;
  };
  struct undo {
    std::string target;
    std::optional<byte_string> old_bytes;  // none: the file did not exist
    staged_folder* folder = nullptr;       // a new folder put in place
  };
  void roll_back(const std::vector<undo>& done);
  std::vector<step> steps_;
};

}  // namespace vantor
