// The "开始升级" command.

#include "formats/game_layout.h"
#include "services/files.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "workflow/installation.h"
#include "workflow/messages.h"
#include "workflow/model_folder.h"
#include "workflow/rebuild.h"
#include "workflow/refusal.h"
#include "workflow/session.h"

namespace vantor {

bool patch_session::on_upgrade_clicked() {
  const bool upgraded = run_upgrade();
  ports_.messages.show_message(upgraded ? messages::upgrade_succeeded : messages::upgrade_failed);
  return upgraded;
}

bool patch_session::run_upgrade() {
  const auto lock = begin_command();
  if (!lock) return false;
  if (auto problems = package_problems(); !problems.empty()) {
    reasons_ = std::move(problems);
    return false;
  }
  // The player must not get frames other than the summary they saw.
  const text frames_path = state_.update_folder + text(layout::update_frames);
  if (read_frame_package(frames_path) != state_.new_frames) {
    note(failure{refusal::changed, frames_path});
    return false;
  }

  // Checked before anything else, but the package is unpacked only once the
  // bundle is proved, so a refused upgrade leaves no new model folder.
  if (status source = check_model_source(state_); !source) {
    note(source.error());
    return false;
  }

  // The action file is staged while the bundle's prefix is still being
  // hashed; its failure is told after the bundle's messages.
  std::optional<outcome<staged_file>> action;
  const auto stage_small_files = [&] {
    if (!action)
      action = staged_file::prepare(layout::path_in(state_.common_folder, {layout::action_name}), state_.action_update);
  };

  auto prepared = rebuild_bundle(state_, identity_, state_.backup_path, false, ports_.messages, stage_small_files);
  if (!prepared && prepared.error().kind != refusal::changed) {
    // A missing backup is the usual first upgrade, not a reason.
    if (prepared.error().kind != os_error::not_found) note(prepared.error());
    prepared = rebuild_bundle(state_, identity_, state_.bundle_path, true, ports_.messages, stage_small_files);
  }
  if (!prepared) {
    note(prepared.error());
    return false;
  }
  stage_small_files();

  // The pose file goes into the model folder, or into a new one unpacked
  // from the model package now that the bundle is proved.
  auto model = prepare_model(state_);
  if (!model) {
    note(model.error());
    return false;
  }
  if (!*action) {
    note(action->error());
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
  install.add(std::move(action->value()), true);
  install.add(std::move(prepared->bundle), false);
  if (status installed = install.commit_all(); !installed) {
    note(installed.error());
    return false;
  }
  reasons_.clear();  // a source refused on the way is no reason once the upgrade succeeded
  return true;
}

}  // namespace vantor
