#pragma once
// Putting a set of prepared files, and a new folder, in place together.

#include <optional>
#include <variant>
#include <vector>

#include "platform/outcome.h"
#include "services/kept_file.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "services/values.h"

namespace vantor {

/// What a file put in place becomes when a later step fails.
enum class on_rollback {
  leave,          ///< stays (the last file, whose replacement ends the set)
  restore_old,    ///< gets back what was there (the very file, a link), or goes when there was nothing
  remove_if_new,  ///< goes when there was no file before; else stays (a backup over a damaged one)
};

/// Files written beside their targets, put in place one rename each (and
/// their folder flushed), in the order added. Before a file with
/// on_rollback::restore_old is replaced, the old one is kept aside under a
/// name of its own (kept_file): when a later step fails, nothing after it
/// goes in and each old file comes back by one rename, so a failed command
/// leaves the game as it was without needing a byte of space. Only when the
/// last file's folder flush fails is the set left complete (and reported as
/// failed). A new folder is one rename too, and always undone: when a later
/// step fails, it is taken away again.
///
/// The last file's temporary stays beside its target until its rename, the
/// set's commit: a command that was interrupted tells from it which side of
/// the commit the kept files are on (see leftovers.h). So it stays, too,
/// when a roll-back could not put everything back.
class installation {
 public:
  void add(staged_file file, on_rollback rollback);
  void add(staged_folder folder);
  /// Puts every file in place; the first failure, if any.
  status commit_all();
  /// The files a failed commit_all could not put back as they were (each
  /// still kept aside), one failure each.
  const std::vector<failure>& not_put_back() const { return not_put_back_; }

 private:
  struct step {
    std::variant<staged_file, staged_folder> item;
    on_rollback rollback;
  };
  struct undo {
    std::optional<kept_file> old;     ///< a file step's old file, kept aside
    staged_file* file = nullptr;      ///< the file step itself
    staged_folder* folder = nullptr;  ///< a new folder put in place
  };
  /// Checks, before anything changes, that every old file can be kept.
  status check_old_files() const;
  void roll_back(const std::vector<undo>& done);
  std::vector<step> steps_;
  std::vector<failure> not_put_back_;
};

}  // namespace vantor
