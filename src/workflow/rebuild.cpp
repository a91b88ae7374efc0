#include "workflow/rebuild.h"

#include "formats/animation_bundle.h"
#include "services/files.h"
#include "workflow/messages.h"

namespace vantor {

outcome<prepared_bundle> rebuild_bundle(const workflow_state& state, const stock_identity& identity,
                                        std::string_view source_path, bool make_backup, message_port& messages) {
  bundle_inspection source = inspect_bundle(source_path, identity);
  if (source.kind == bundle_kind::missing) return failure{failure_kind::not_found, text(source_path)};
  if (source.kind != bundle_kind::stock) {
    messages.show_message(messages::bundle_modified);
    if (source.unread) return *source.unread;
    return failure{failure_kind::modified, text(source_path)};
  }
  const byte_string& stock = source.prefix;

  std::optional<staged_file> backup;
  if (make_backup) {
    // After the first upgrade the backup is the only stock copy left, so it
    // must be proved on disk before the live bundle may be replaced.
    auto staged = staged_file::prepare(state.backup_path, stock);
    if (!staged) return staged.error();
    // Read back from the file and compared with the bytes just proved by
    // their digest: a short or garbled write shows up here.
    const auto holds = file_holds(staged->temporary_path(), stock);
    if (!holds) return holds.error();
    if (!*holds) return failure{failure_kind::io_error, staged->temporary_path()};
    backup = std::move(*staged);
  }

  const new_bundle rebuilt(stock, state.new_frames, identity, state.new_frame_count);
  const auto pieces = rebuilt.pieces();
  auto bundle = staged_file::prepare(state.bundle_path, pieces);
  if (!bundle) {
    messages.show_message(messages::frame_count_failed);
    return bundle.error();
  }
  return prepared_bundle{std::move(*bundle), std::move(backup)};
}

}  // namespace vantor
