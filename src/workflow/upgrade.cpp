// The "开始升级" command, in the order the player sees it.

#include "formats/game_layout.h"
#include "services/files.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "workflow/installation.h"
#include "workflow/messages.h"
#include "workflow/model_folder.h"
#include "workflow/overlapping_work.h"
#include "workflow/rebuild.h"
#include "workflow/refusal.h"
#include "workflow/session.h"

namespace vantor {

bool patch_session::on_upgrade_clicked() {
  const bool upgraded = run_upgrade();
  if (!upgraded && !explain_failure(true)) return false;
  ports_.messages.show_message(upgraded ? messages::upgrade_succeeded : messages::upgrade_failed);
  return upgraded;
}

bool patch_session::run_upgrade() {
  // 1. One run at a time; what an interrupted run left is cleared first.
  const auto lock = begin_command();
  if (!lock) return false;

  // 2. The update package is whole, still the one the window showed, and the
  //    pose file has somewhere to go. Nothing has been written yet.
  if (!check_upgrade_inputs()) return false;

  // 3. Prove a source bundle (the backup of an earlier upgrade, else the
  //    live bundle) while the new bundle is written from it. What does not
  //    depend on the proof is prepared while the prefix is hashed.
  std::optional<outcome<staged_file>> action;
  overlapping_work meanwhile({[&] {
    action = staged_file::prepare(layout::path_in(state_.common_folder, {layout::action_name}), state_.action_update);
  }});
  std::optional<prepared_bundle> bundle = prove_source_bundle(meanwhile);
  if (!bundle) return false;
  meanwhile.run();  // when the prover ended before its overlap, as after a refused backup

  // 4. The pose file's way in: the model folder, or a new one unpacked from
  //    the model package now that the bundle is proved.
  auto model = prepare_model(state_, progress_of(work_stage::models));
  if (!model) {
    note(model.error());
    return false;
  }
  if (!*action) {
    note(action->error());
    return false;
  }

  // 5. Install. The backup goes in first: from then on the stock prefix is
  //    safe whatever happens to the live bundle, which is replaced last.
  installation install;
  if (bundle->backup) install.add(std::move(*bundle->backup), on_rollback::remove_if_new);
  if (model->folder)
    install.add(std::move(*model->folder));  // a new model folder goes away again if a later step fails
  else
    install.add(std::move(*model->pose), on_rollback::restore_old);
  install.add(std::move(action->value()), on_rollback::restore_old);
  install.add(std::move(bundle->bundle), on_rollback::leave);
  if (status installed = install.commit_all(); !installed) {
    note(installed.error());
    for (const failure& stuck : install.not_put_back()) note(stuck);
    return false;
  }
  reasons_.clear();  // a source refused on the way is no reason once the upgrade succeeded
  return true;
}

bool patch_session::check_upgrade_inputs() {
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
  return true;
}

std::optional<prepared_bundle> patch_session::prove_source_bundle(overlapping_work& meanwhile) {
  const bundle_source sources[] = {{state_.backup_path, backup_step::keep_existing},
                                   {state_.bundle_path, backup_step::write_new}};
  for (const bundle_source& source : sources) {
    bundle_proof proof = rebuild_bundle(state_, identity_, source, meanwhile, progress_of(work_stage::bundle));
    switch (proof.verdict) {
      case source_verdict::proved:
        return std::move(proof.prepared);
      case source_verdict::missing:
        // A missing backup is the usual first upgrade, not a reason.
        if (source.backup == backup_step::write_new) note(*proof.reason);
        break;
      case source_verdict::unreadable:  // says why; it may well be the stock bundle
        note(*proof.reason);
        break;
      case source_verdict::modified:
        ports_.messages.show_message(messages::bundle_modified);
        bundle_box_shown_ = true;
        note(*proof.reason);
        break;
      case source_verdict::package_changed:
        note(*proof.reason);
        return std::nullopt;  // no other source has the frames the player saw
      case source_verdict::backup_write_failed:
        note(*proof.reason);
        break;
      case source_verdict::bundle_write_failed:
        ports_.messages.show_message(messages::frame_count_failed);
        note(*proof.reason);
        break;
    }
  }
  return std::nullopt;
}

}  // namespace vantor
