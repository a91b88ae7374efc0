// The "复原" command.

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

/// The stock bundle and its backup made again from an upgraded live bundle:
/// its prefix with the count field set back is the stock prefix, proved
/// while it is written.
outcome<restored_bundle> stock_from_upgraded(const workflow_state& state, const stock_identity& identity) {
  auto backup = staged_writer::create(state.backup_path);
  if (!backup) return backup.error();
  auto bundle = staged_writer::create(state.bundle_path);
  if (!bundle) return bundle.error();
  prefix_stream request;
  request.source = state.bundle_path;
  request.proved_count = identity.stock_count;
  request.bundle_count = identity.stock_count;
  request.bundle = &*bundle;
  request.backup = &*backup;
  const prefix_stream_result streamed = stream_stock_prefix(identity, request);
  if (streamed.source_failure) return *streamed.source_failure;
  if (!streamed.proved) return failure{refusal::modified, state.bundle_path};
  if (streamed.backup_failure) return *streamed.backup_failure;
  if (streamed.bundle_failure) return *streamed.bundle_failure;
  auto backup_file = backup->finish();
  if (!backup_file) return backup_file.error();
  if (status proved = prove_stock_backup(*backup_file, identity); !proved) return proved.error();
  auto bundle_file = bundle->finish();
  if (!bundle_file) return bundle_file.error();
  return restored_bundle{std::move(*bundle_file), std::move(*backup_file)};
}

}  // namespace

bool patch_session::run_restore() {
  const auto lock = begin_command();
  if (!lock) return false;

  // Where the stock bundle comes from, proved before anything changes: the
  // backup when there is one; without one, the live bundle when it is still
  // stock, or the stock prefix an upgraded live bundle was made from.
  restored_bundle stock;
  if (file_exists(state_.backup_path)) {
    const bundle_inspection backup = inspect_bundle(state_.backup_path, identity_);
    if (backup.kind != bundle_kind::stock) {  // a damaged backup is never installed
      note(backup.unread ? *backup.unread : failure{refusal::modified, state_.backup_path});
      return false;
    }
    auto copy = staged_file::prepare_copy(state_.bundle_path, state_.backup_path);
    if (!copy) {
      note(copy.error());
      return false;
    }
    stock.bundle = std::move(*copy);
  } else {
    const bundle_inspection live = inspect_bundle(state_.bundle_path, identity_);
    if (live.kind == bundle_kind::upgraded) {
      auto made = stock_from_upgraded(state_, identity_);
      if (!made) {
        note(made.error());
        return false;
      }
      stock = std::move(*made);
    } else if (live.kind != bundle_kind::stock) {
      if (live.kind == bundle_kind::missing)
        note(failure{os_error::not_found, state_.bundle_path});
      else
        note(live.unread ? *live.unread : failure{refusal::modified, state_.bundle_path});
      return false;
    }
  }

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
  if (stock.backup) install.add(std::move(*stock.backup), on_rollback::leave);
  install.add(std::move(*pose), on_rollback::restore_old);
  install.add(std::move(*action), on_rollback::restore_old);
  if (stock.bundle) install.add(std::move(*stock.bundle), on_rollback::leave);
  if (status installed = install.commit_all(); !installed) {
    note(installed.error());
    return false;
  }
  return true;
}

}  // namespace vantor
