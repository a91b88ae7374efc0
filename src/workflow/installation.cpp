#include "workflow/installation.h"

#include "platform/system_error.h"
#include "services/files.h"
#include "workflow/refusal.h"

namespace vantor {

void installation::add(staged_file file, on_rollback rollback) { steps_.push_back(step{std::move(file), rollback}); }

void installation::add(staged_folder folder) { steps_.push_back(step{std::move(folder), on_rollback::restore_old}); }

status installation::check_old_files() const {
  for (const step& each : steps_) {
    const auto* file = std::get_if<staged_file>(&each.item);
    if (file == nullptr || each.rollback != on_rollback::restore_old) continue;
    // A folder or a pipe where the file goes could not be put back by a
    // rename: it is not replaced at all.
    const entry_type found = entry_type_of(file->target_path());
    if (found != entry_type::none && found != entry_type::file && found != entry_type::link)
      return failure{os_error::not_a_file, file->target_path()};
  }
  return {};
}

status installation::commit_all() {
  not_put_back_.clear();
  if (status checked = check_old_files(); !checked) return checked;
  // The last file's temporary tells a later run that this set has not been
  // committed: it is on disk before any old file is kept aside.
  if (!steps_.empty()) {
    if (const auto* file = std::get_if<staged_file>(&steps_.back().item)) {
      if (status durable = file->make_name_durable(); !durable) return durable;
    }
  }
  std::vector<undo> done;
  status result;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    step& current = steps_[i];
    const bool last = i + 1 == steps_.size();
    status committed;
    bool in_place = false;
    if (auto* folder = std::get_if<staged_folder>(&current.item)) {
      committed = folder->commit();
      in_place = folder->in_place();
      if (in_place) done.push_back(undo{std::nullopt, nullptr, folder});
    } else {
      auto& file = std::get<staged_file>(current.item);
      undo record{std::nullopt, &file, nullptr};
      if (current.rollback == on_rollback::restore_old && !last) {
        auto kept = kept_file::keep(file.target_path());
        if (!kept) {
          roll_back(done);
          return kept.error();
        }
        record.old = std::move(*kept);
      } else if (current.rollback == on_rollback::remove_if_new &&
                 entry_type_of(file.target_path()) == entry_type::none) {
        // Nothing to keep: a roll-back takes the new file away.
        if (auto nothing = kept_file::keep(file.target_path())) record.old = std::move(*nothing);
      }
      // Recorded before the commit, so a failed rename is undone along with
      // the earlier ones.
      const bool undoable = record.old.has_value();
      if (undoable) done.push_back(std::move(record));
      committed = file.commit();
      in_place = file.in_place();
    }
    if (committed) continue;
    // The last item renamed into place with only its folder's flush failing
    // finishes the set; it is reported all the same. Anywhere else nothing
    // later goes in (the live bundle never replaces the old one before the
    // backup is durable), and what went in is undone.
    if (in_place && last) {
      result = committed;
      break;
    }
    roll_back(done);
    return committed;
  }
  // The set is in: the old files kept aside go.
  for (const undo& each : done)
    if (each.old) (void)each.old->drop();
  return result;
}

void installation::roll_back(const std::vector<undo>& done) {
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    if (it->folder != nullptr) {
      (void)it->folder->withdraw();
      continue;
    }
    if (status back = it->old->put_back(it->file->in_place()); !back)
      not_put_back_.push_back(failure{refusal::not_put_back, it->old->target_path()});
  }
  // What was not put back stays kept aside; the last file's temporary stays
  // too, so the next command finishes the roll-back.
  if (!not_put_back_.empty() && !steps_.empty()) {
    if (auto* file = std::get_if<staged_file>(&steps_.back().item)) file->keep_temporary();
  }
}

}  // namespace vantor
