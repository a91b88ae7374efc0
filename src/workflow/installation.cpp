#include "workflow/installation.h"

#include "platform/platform.h"
#include "services/files.h"

namespace vantor {

void installation::add(staged_file file, bool undoable) { steps_.push_back(step{std::move(file), undoable}); }

bool installation::commit_all() {
  std::vector<undo> done;
  for (auto& current : steps_) {
    undo before{current.file.target_path(), std::nullopt};
    if (current.undoable && platform::kind_of(before.target) == platform::entry_kind::file) {
      before.old_bytes = read_whole_file(before.target);
    }
    if (!current.file.commit()) {
      roll_back(done);
      return false;
    }
    if (current.undoable) done.push_back(std::move(before));
  }
  return true;
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
