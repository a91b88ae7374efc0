#include "workflow/installation.h"

#include "services/files.h"

namespace vantor {

void installation::add(staged_file file, bool undoable) { steps_.push_back(step{std::move(file), undoable}); }

status installation::commit_all() {
  std::vector<undo> done;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    step& current = steps_[i];
    if (current.undoable) {
      undo before{current.file.target_path(), std::nullopt};
      if (is_regular_file(before.target)) before.old_bytes = read_whole_file(before.target).value_or({});
      // Recorded before the commit, so a failed rename is undone along with
      // the earlier ones (rewriting the old bytes changes nothing then).
      done.push_back(std::move(before));
    }
    status committed = current.file.commit();
    if (committed) continue;
    // The last file renamed into place with only its folder's flush failing
    // finishes the set; it is reported all the same. Anywhere else nothing
    // later goes in (the live bundle never replaces the old one before the
    // backup is durable), and what went in is undone.
    if (current.file.in_place() && i + 1 == steps_.size()) return committed;
    roll_back(done);
    return committed;
  }
  return {};
}

void installation::roll_back(const std::vector<undo>& done) {
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    if (it->old_bytes)
      (void)replace_file_atomically(it->target, *it->old_bytes);
    else
      (void)remove_file(it->target);
  }
}

}  // namespace vantor
