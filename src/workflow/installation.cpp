#include "workflow/installation.h"

#include "services/files.h"

namespace vantor {

void installation::add(staged_file file, bool undoable) { steps_.push_back(step{std::move(file), undoable}); }

status installation::commit_all() {
  std::vector<undo> done;
  status result;
  for (auto& current : steps_) {
    if (current.undoable) {
      undo before{current.file.target_path(), std::nullopt};
      if (is_regular_file(before.target)) before.old_bytes = read_whole_file(before.target).value_or({});
      // Recorded before the commit, so a failed rename is undone along with
      // the earlier ones (rewriting the old bytes changes nothing then).
      done.push_back(std::move(before));
    }
    if (status committed = current.file.commit(); !committed) {
      if (current.file.in_place()) {
        // Renamed, but its folder could not be flushed: the new file is in
        // place, so the set is finished and only reported as not done.
        if (result) result = committed;
        continue;
      }
      roll_back(done);
      return committed;
    }
  }
  return result;
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
