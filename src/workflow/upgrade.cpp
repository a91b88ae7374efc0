// The "开始升级" command.

#include "formats/game_layout.h"
#include "services/files.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "workflow/installation.h"
#include "workflow/messages.h"
#include "workflow/model_folder.h"
#include "workflow/rebuild.h"
#include "workflow/session.h"

namespace vantor {

bool patch_session::on_upgrade_clicked() {
  const bool upgraded = run_upgrade();
  ports_.messages.show_message(upgraded ? messages::upgrade_succeeded : messages::upgrade_failed);
  return upgraded;
}

bool patch_session::run_upgrade() {
  reasons_.clear();
  const text model_folder = layout::path_in(state_.run_folder, {layout::model_folder});
  remove_stale_temporaries(state_.common_folder);
  remove_stale_temporaries(model_folder);
  remove_stale_temporary_folder(model_folder);  // a model folder left half unpacked

  // An incomplete update package would install empty files over the game's.
  const text& updates = state_.update_folder;
  if (state_.pose_update.empty())
    note(failure{failure_kind::missing_or_empty, updates + std::string(layout::update_pose)});
  if (state_.action_update.empty())
    note(failure{failure_kind::missing_or_empty, updates + std::string(layout::update_action)});
  if (!state_.frame_package_read) note(failure{failure_kind::too_short, updates + std::string(layout::update_frames)});
  if (!reasons_.empty()) return false;

  // Checked before anything else, but the package is unpacked only once the
  // bundle is proved, so a refused upgrade leaves no new model folder.
  if (status source = check_model_source(state_); !source) {
    note(source.error());
    return false;
  }

  auto prepared = rebuild_bundle(state_, identity_, state_.backup_path, false, ports_.messages);
  if (!prepared) {
    // A missing backup is the usual first upgrade, not a reason.
    if (prepared.error().kind != failure_kind::not_found) note(prepared.error());
    prepared = rebuild_bundle(state_, identity_, state_.bundle_path, true, ports_.messages);
  }
  if (!prepared) {
    note(prepared.error());
    return false;
  }

  auto model = prepare_model(state_);
  if (!model) {
    note(model.error());
    return false;
  }
  auto action =
      staged_file::prepare(layout::path_in(state_.common_folder, {layout::action_name}), state_.action_update);
  if (!action) {
    note(action.error());
    return false;
  }

  // The backup goes in first: from then on the stock prefix is safe whatever
  // happens to the live bundle, which is replaced last.
  installation install;
  if (prepared->backup) install.add(std::move(*prepared->backup), false);
  if (model->folder)
    install.add(std::move(*model->folder));  // a new model folder goes away again if a later step fails
  else
    install.add(std::move(*model->pose), true);
  install.add(std::move(*action), true);
  install.add(std::move(prepared->bundle), false);
  if (status installed = install.commit_all(); !installed) {
    note(installed.error());
    return false;
  }
  reasons_.clear();  // a source refused on the way is no reason once the upgrade succeeded
  return true;
}

}  // namespace vantor
