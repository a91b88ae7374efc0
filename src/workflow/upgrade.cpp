// The "开始升级" command.

#include "formats/game_layout.h"
#include "services/archive/archive.h"
#include "services/files.h"
#include "services/staged_file.h"
#include "workflow/installation.h"
#include "workflow/messages.h"
#include "workflow/rebuild.h"
#include "workflow/session.h"

namespace vantor {

bool patch_session::on_upgrade_clicked() {
  const bool upgraded = run_upgrade();
  ports_.messages.show_message(upgraded ? messages::upgrade_succeeded : messages::upgrade_failed);
  return upgraded;
}

bool patch_session::ensure_model_folder() {
  const text model_folder = layout::path_in(state_.run_folder, {layout::model_folder});
  if (file_exists(model_folder)) return true;
  const text package = layout::path_in(state_.run_folder, {layout::model_package});
  if (!file_exists(package)) {
    note(failure{failure_kind::not_found, model_folder});
    return false;
  }
  // The package is unpacked silently; whatever it gives, the upgrade goes on.
  extract_archive(package, model_folder);
  return true;
}

bool patch_session::run_upgrade() {
  const auto lock = begin_command();
  if (!lock) return false;
  const text model_folder = layout::path_in(state_.run_folder, {layout::model_folder});

  if (auto problems = package_problems(); !problems.empty()) {
    reasons_ = std::move(problems);
    return false;
  }
  // The player must not get frames other than the summary they saw.
  const text frames_path = state_.update_folder + text(layout::update_frames);
  if (read_frame_package(frames_path) != state_.new_frames) {
    note(failure{failure_kind::changed, frames_path});
    return false;
  }

  if (!ensure_model_folder()) return false;

  // The pose and action files are staged while the bundle's prefix is still
  // being hashed; their failure is told after the bundle's messages.
  std::optional<outcome<staged_file>> pose, action;
  const auto stage_small_files = [&] {
    if (pose) return;
    pose = staged_file::prepare(layout::path_in(model_folder, {layout::pose_name}), state_.pose_update);
    action = staged_file::prepare(layout::path_in(state_.common_folder, {layout::action_name}), state_.action_update);
  };

  auto prepared = rebuild_bundle(state_, identity_, state_.backup_path, false, ports_.messages, stage_small_files);
  if (!prepared && prepared.error().kind != failure_kind::changed) {
    // A missing backup is the usual first upgrade, not a reason.
    if (prepared.error().kind != failure_kind::not_found) note(prepared.error());
    prepared = rebuild_bundle(state_, identity_, state_.bundle_path, true, ports_.messages, stage_small_files);
  }
  if (!prepared) {
    note(prepared.error());
    return false;
  }
  stage_small_files();
  for (const auto* staged : {&*pose, &*action}) {
    if (!*staged) {
      note(staged->error());
      return false;
    }
  }

  // The backup goes in first: from then on the stock prefix is safe whatever
  // happens to the live bundle, which is replaced last.
  installation install;
  if (prepared->backup) install.add(std::move(*prepared->backup), false);
  install.add(std::move(pose->value()), true);
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
