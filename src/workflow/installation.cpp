#include "workflow/installation.h"

#include "services/files.h"

namespace vantor {

void installation::add(staged_file file, on_rollback rollback) { steps_.push_back(step{std::move(file), rollback}); }

void installation::add(staged_folder folder) { steps_.push_back(step{std::move(folder), on_rollback::restore_old}); }

status installation::commit_all() {
  std::vector<undo> done;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    step& current = steps_[i];
    status committed;
    bool in_place = false;
    if (auto* folder = std::get_if<staged_folder>(&current.item)) {
      committed = folder->commit();
      in_place = folder->in_place();
      if (in_place) done.push_back(undo{folder->target_path(), std::nullopt, folder});
    } else {
      auto& file = std::get<staged_file>(current.item);
      // Recorded before the commit, so a failed rename is undone along with
      // the earlier ones (rewriting the old bytes changes nothing then).
      if (current.rollback == on_rollback::restore_old) {
        undo before{file.target_path(), std::nullopt};
        if (is_regular_file(before.target)) before.old_bytes = read_whole_file(before.target).value_or({});
        done.push_back(std::move(before));
      } else if (current.rollback == on_rollback::remove_if_new &&
                 entry_type_of(file.target_path()) == entry_type::none) {
        done.push_back(undo{file.target_path(), std::nullopt});
      }
      committed = file.commit();
      in_place = file.in_place();
    }
    if (committed) continue;
    // The last item renamed into place with only its folder's flush failing
    // finishes the set; it is reported all the same. Anywhere else nothing
    // later goes in (the live bundle never replaces the old one before the
    // backup is durable), and what went in is undone.
    if (in_place && i + 1 == steps_.size()) return committed;
    roll_back(done);
    return committed;
  }
  return {};
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
