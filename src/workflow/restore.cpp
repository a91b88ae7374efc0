// The "复原" command.

#include "formats/animation_bundle.h"
#include "formats/game_layout.h"
#include "formats/restore_payloads.h"
#include "services/files.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "workflow/installation.h"
#include "workflow/messages.h"
#include "workflow/session.h"

namespace vantor {

bool patch_session::on_restore_clicked() {
  const bool restored = run_restore();
  ports_.messages.show_message(restored ? messages::restore_succeeded : messages::restore_failed);
  return restored;
}

bool patch_session::run_restore() {
  reasons_.clear();
  const text model_folder = layout::path_in(state_.run_folder, {layout::model_folder});
  remove_stale_temporaries(state_.common_folder);
  remove_stale_temporaries(model_folder);
  remove_stale_temporary_folder(model_folder);

  // A damaged backup is never installed; checked first, so nothing changes.
  const bool has_backup = file_exists(state_.backup_path);
  if (has_backup) {
    const bundle_inspection backup = inspect_bundle(state_.backup_path, identity_);
    if (backup.kind != bundle_kind::stock) {
      note(backup.unread ? *backup.unread : failure{failure_kind::modified, state_.backup_path});
      return false;
    }
  }

  const byte_view pose_pieces[] = {pose_restore_payload()};
  auto pose = staged_file::prepare(layout::path_in(model_folder, {layout::pose_name}), pose_pieces);
  if (!pose) {  // no model folder: the restore does not create one
    note(pose.error());
    return false;
  }
  const byte_view action_pieces[] = {action_restore_payload()};
  auto action = staged_file::prepare(layout::path_in(state_.common_folder, {layout::action_name}), action_pieces);
  if (!action) {
    note(action.error());
    return false;
  }
  std::optional<staged_file> bundle;
  if (has_backup) {
    auto copy = staged_file::prepare_copy(state_.bundle_path, state_.backup_path);
    if (!copy) {
      note(copy.error());
      return false;
    }
    bundle = std::move(*copy);
  }

  installation install;
  install.add(std::move(*pose), true);
  install.add(std::move(*action), true);
  if (bundle) install.add(std::move(*bundle), false);
  if (status installed = install.commit_all(); !installed) {
    note(installed.error());
    return false;
  }
  return true;
}

}  // namespace vantor
