#include "workflow/installation.h"

#include "platform/platform.h"
#include "services/files.h"

namespace vantor {

void installation::add(staged_file file, bool undoable) { steps_.push_back(step{std::move(file), undoable}); }

bool installation::commit_all() {
  std::vector<undo> done;
  bool durable = true;
  for (auto& current : steps_) {
    if (current.undoable) {
      undo before{current.file.target_path(), std::nullopt};
      if (platform::kind_of(before.target) == platform::entry_kind::file) before.old_bytes = read_whole_file(before.target);
      // Recorded before the commit, so a failed rename is undone along with
      // the earlier ones (rewriting the old bytes changes nothing then).
      done.push_back(std::move(before));
    }
    if (!current.file.commit()) {
      if (current.file.in_place()) {
        // Renamed, but its folder could not be flushed: the new file is in
        // place, so the set is finished and only reported as not done.
        durable = false;
        continue;
      }
      roll_back(done);
      return false;
    }
  }
  return durable;
}

void installation::roll_back(const std::vector<undo>& done) {
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    if (it->old_bytes)
      replace_file_atomically(it->target, *it->old_bytes);
    else
      platform::remove_file(it->target);
  }
}

}  // namespace vantor
