// The "复原" command.

#include <variant>

#include "formats/animation_bundle.h"
#include "formats/game_layout.h"
#include "formats/restore_payloads.h"
#include "services/files.h"
#include "services/staged_file.h"
#include "workflow/bundle_stream.h"
#include "workflow/installation.h"
#include "workflow/messages.h"
#include "workflow/refusal.h"
#include "workflow/session.h"

namespace vantor {

bool patch_session::on_restore_clicked() {
  const bool restored = run_restore();
  if (!restored && !explain_failure(false)) return false;
  ports_.messages.show_message(restored ? messages::restore_succeeded : messages::restore_failed);
  return restored;
}

namespace {

/// The stock bundle a restore puts back and, when it is made again, the
/// backup.
struct restored_bundle {
  std::optional<staged_file> bundle;
  std::optional<staged_file> backup;
};

/// The stock bundle and, when it is made again, its backup, made from the
/// live bundle: its prefix (with the count field set back, for an upgraded
/// bundle) is the stock prefix, proved while it is written and the backup
/// read back. A live bundle that is still stock is left where it is.
outcome<restored_bundle> stock_from_live(const workflow_state& state, const stock_identity& identity, bool upgraded,
                                         bool write_backup, const progress_callback& progress) {
  std::optional<staged_writer> backup;
  if (write_backup) {
    auto created = staged_writer::create(state.backup_path);
    if (!created) return created.error();
    backup = std::move(*created);
  }
  std::optional<staged_writer> bundle;
  if (upgraded) {
    auto created = staged_writer::create(state.bundle_path);
    if (!created) return created.error();
    bundle = std::move(*created);
  }
  prefix_stream request;
  request.source = state.bundle_path;
  request.proved_count = identity.stock_count;
  request.bundle_count = identity.stock_count;
  request.bundle = bundle ? &*bundle : nullptr;
  request.backup = backup ? &*backup : nullptr;
  request.progress = progress;
  const prefix_stream_result streamed = stream_stock_prefix(identity, request);
  if (streamed.source_failure) return *streamed.source_failure;
  if (!streamed.proved) return failure{refusal::modified, state.bundle_path};
  if (streamed.backup_failure) return *streamed.backup_failure;
  if (streamed.bundle_failure) return *streamed.bundle_failure;
  restored_bundle made;
  if (backup) {
    auto backup_file = backup->finish();
    if (!backup_file) return backup_file.error();
    if (status proved = prove_stock_backup(*backup_file, identity); !proved) return proved.error();
    made.backup = std::move(*backup_file);
  }
  if (bundle) {
    auto bundle_file = bundle->finish();
    if (!bundle_file) return bundle_file.error();
    made.bundle = std::move(*bundle_file);
  }
  return made;
}

/// What became of copying the backup over the live bundle: the proved
/// copy, ready to go in; or why the backup itself did not prove (or could not
/// be read); or why the copy could not be written.
struct backup_refused {
  failure why;
};
struct copy_failed {
  failure why;
};
using backup_copy = std::variant<staged_file, backup_refused, copy_failed>;

/// Copies the backup's stock prefix to a new live bundle, proving the very
/// bytes it writes: a backup that changes after an earlier look can only
/// fail the copy, never put other bytes in place.
backup_copy copy_proved_backup(const workflow_state& state, const stock_identity& identity,
                               const progress_callback& progress) {
  // Never through a link: it may point at the live bundle itself.
  if (!is_regular_file(state.backup_path)) return backup_refused{failure{os_error::not_a_file, state.backup_path}};
  auto bundle = staged_writer::create(state.bundle_path);
  if (!bundle) return copy_failed{bundle.error()};
  prefix_stream request;
  request.source = state.backup_path;
  request.bundle_count = identity.stock_count;
  request.bundle = &*bundle;
  request.progress = progress;
  const prefix_stream_result streamed = stream_stock_prefix(identity, request);
  if (streamed.source_failure) return backup_refused{*streamed.source_failure};
  if (!streamed.proved) return backup_refused{failure{refusal::modified, state.backup_path}};
  if (streamed.bundle_failure) return copy_failed{*streamed.bundle_failure};
  auto finished = bundle->finish();
  if (!finished) return copy_failed{finished.error()};
  return std::move(*finished);
}

/// Where the stock bundle comes from, proved before anything changes: the
/// backup when it proves; else the live bundle, when it is still stock or an
/// upgraded bundle whose prefix (count set back) proves. A backup that does
/// not prove is then written again from the live bundle. Why not, in reasons.
std::optional<restored_bundle> stock_to_restore(const workflow_state& state, const stock_identity& identity,
                                                const progress_callback& progress, std::vector<failure>& reasons) {
  const auto note = [&](failure why) { reasons.push_back(std::move(why)); };
  std::optional<failure> backup_not_proved;
  if (file_exists(state.backup_path)) {
    backup_copy copy = copy_proved_backup(state, identity, progress);
    if (auto* bundle = std::get_if<staged_file>(&copy)) return restored_bundle{std::move(*bundle), std::nullopt};
    if (const auto* failed =
            std::get_if<copy_failed>(&copy)) {  // the backup is fine; the new bundle could not be written
      note(failed->why);
      return std::nullopt;
    }
    backup_not_proved = std::get<backup_refused>(copy).why;  // a damaged backup is never installed
  }
  // A folder at the backup's name is the player's (no rename may replace
  // it): it is left alone, and the stock bundle comes from the live one
  // without a backup.
  const bool backup_writable = !backup_not_proved || entry_type_of(state.backup_path) != entry_type::folder;
  const bundle_inspection live = inspect_bundle(state.bundle_path, identity);
  if (live.kind == bundle_kind::stock && (!backup_not_proved || !backup_writable)) return restored_bundle{};
  if (live.kind == bundle_kind::stock || live.kind == bundle_kind::upgraded) {
    auto made = stock_from_live(state, identity, live.kind == bundle_kind::upgraded, backup_writable, progress);
    if (made) return std::move(*made);
    if (backup_not_proved) note(*backup_not_proved);
    note(made.error());
    return std::nullopt;
  }
  if (backup_not_proved) note(*backup_not_proved);
  if (live.kind == bundle_kind::missing)
    note(failure{os_error::not_found, state.bundle_path});
  else
    note(live.unread ? *live.unread : failure{refusal::modified, state.bundle_path});
  return std::nullopt;
}

}  // namespace

bool patch_session::run_restore() {
  const auto lock = begin_command();
  if (!lock) return false;

  auto stock = stock_to_restore(state_, identity_, progress_of(work_stage::bundle), reasons_);
  if (!stock) return false;

  const byte_view pose_pieces[] = {pose_restore_payload()};
  auto pose = staged_file::prepare(layout::path_in(state_.model_folder, {layout::pose_name}), pose_pieces);
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

  installation install;
  if (stock->backup) install.add(std::move(*stock->backup), on_rollback::remove_if_new);
  install.add(std::move(*pose), on_rollback::restore_old);
  install.add(std::move(*action), on_rollback::restore_old);
  if (stock->bundle) install.add(std::move(*stock->bundle), on_rollback::leave);
  if (status installed = install.commit_all(); !installed) {
    note(installed.error());
    for (const failure& stuck : install.not_put_back()) note(stuck);
    return false;
  }
  return true;
}

}  // namespace vantor
