#include "workflow/installation.h"

#include "services/files.h"

namespace vantor {

void installation::add(staged_file file, bool undoable) { steps_.push_back(step{std::move(file), undoable}); }

void installation::add(staged_folder folder) { steps_.push_back(step{std::move(folder), true}); }

status installation::commit_all() {
  std::vector<undo> done;
  status result;
  for (auto& current : steps_) {
    if (auto* folder = std::get_if<staged_folder>(&current.item)) {
      const status committed = folder->commit();
      if (folder->in_place()) done.push_back(undo{folder->target_path(), std::nullopt, folder});
      if (committed) continue;
      if (folder->in_place()) {  // only the flush failed: in place, as with a file
        if (result) result = committed;
        continue;
      }
      roll_back(done);
      return committed;
    }
    auto& file = std::get<staged_file>(current.item);
    if (current.undoable) {
      undo before{file.target_path(), std::nullopt};
      if (is_regular_file(before.target)) before.old_bytes = read_whole_file(before.target).value_or({});
      // Recorded before the commit, so a failed rename is undone along with
      // the earlier ones (rewriting the old bytes changes nothing then).
      done.push_back(std::move(before));
    }
    if (status committed = file.commit(); !committed) {
      if (file.in_place()) {
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
    if (it->folder != nullptr)
      (void)it->folder->withdraw();
    else if (it->old_bytes)
      (void)replace_file_atomically(it->target, *it->old_bytes);
    else
      (void)remove_file(it->target);
  }
}

}  // namespace vantor
