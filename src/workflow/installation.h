#pragma once
// Putting a set of prepared files, and a new folder, in place together.

#include <optional>
#include <variant>
#include <vector>

#include "platform/outcome.h"
#include "services/saved_entry.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "services/values.h"

namespace vantor {

/// What a file put in place becomes when a later step fails.
enum class on_rollback {
  leave,          ///< stays (the last file, whose replacement ends the set)
  restore_old,    ///< gets back what was there (a file, a link), or goes when there was nothing
  remove_if_new,  ///< goes when there was no file before; else stays (a backup over a damaged one)
};

/// Files written beside their targets, put in place one rename each (and
/// their folder flushed), in the order added. When a step fails, nothing
/// after it goes in and the files already put in place with
/// on_rollback::restore_old get their old contents back, so a failed command
/// leaves the game as it was; only when the last file's folder flush fails is
/// the set left complete (and reported as failed). Only small files should
/// be restored (their old bytes are held in memory); add the large one last.
/// What a roll-back would need is read before anything is replaced: an old
/// file that cannot be read whole (or anything but a file or a link where a
/// file is restored) stops the set before it begins.
/// A new folder is one rename too, and always undone: when a later step
/// fails, it is taken away again.
class installation {
 public:
  void add(staged_file file, on_rollback rollback);
  void add(staged_folder folder);
  /// Puts every file in place; the first failure, if any.
  status commit_all();

 private:
  struct step {
    std::variant<staged_file, staged_folder> item;
    on_rollback rollback;
  };
  struct undo {
    std::optional<saved_entry> old;   ///< what a file step replaced
    staged_folder* folder = nullptr;  ///< a new folder put in place
  };
  /// What the roll-back of each step would need, read now.
  outcome<std::vector<std::optional<undo>>> secure_old_files() const;
  void roll_back(const std::vector<undo>& done);
  std::vector<step> steps_;
};

}  // namespace vantor
