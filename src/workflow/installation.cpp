#include "workflow/installation.h"

#include "services/files.h"

namespace vantor {

void installation::add(staged_file file, on_rollback rollback) { steps_.push_back(step{std::move(file), rollback}); }

void installation::add(staged_folder folder) { steps_.push_back(step{std::move(folder), on_rollback::restore_old}); }

outcome<std::vector<std::optional<installation::undo>>> installation::secure_old_files() const {
  std::vector<std::optional<undo>> plans(steps_.size());
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    const auto* file = std::get_if<staged_file>(&steps_[i].item);
    if (file == nullptr) continue;
    const std::string& target = file->target_path();
    if (steps_[i].rollback == on_rollback::restore_old) {
      // What cannot be saved whole could not be given back: it is not
      // replaced at all.
      auto saved = saved_entry::take(target);
      if (!saved) return saved.error();
      plans[i] = undo{std::move(*saved)};
    } else if (steps_[i].rollback == on_rollback::remove_if_new && entry_type_of(target) == entry_type::none) {
      plans[i] = undo{saved_entry::nothing_at(target)};
    }
  }
  return plans;
}

status installation::commit_all() {
  // What a roll-back would need is secured before anything is replaced.
  auto plans = secure_old_files();
  if (!plans) return plans.error();
  std::vector<undo> done;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    step& current = steps_[i];
    status committed;
    bool in_place = false;
    if (auto* folder = std::get_if<staged_folder>(&current.item)) {
      committed = folder->commit();
      in_place = folder->in_place();
      if (in_place) done.push_back(undo{std::nullopt, folder});
    } else {
      auto& file = std::get<staged_file>(current.item);
      // Recorded before the commit, so a failed rename is undone along with
      // the earlier ones (rewriting the old bytes changes nothing then).
      if ((*plans)[i]) done.push_back(std::move(*(*plans)[i]));
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
    else
      (void)it->old->put_back();
  }
}

}  // namespace vantor
