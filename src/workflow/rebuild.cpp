#include "workflow/rebuild.h"

#include "formats/animation_bundle.h"
#include "formats/game_layout.h"
#include "services/files.h"
#include "workflow/bundle_stream.h"
#include "workflow/messages.h"
#include "workflow/refusal.h"

namespace vantor {

namespace {

// Copies the new frame block of new.amb.out to the bundle, in pieces, after
// making sure the file is still the one the window showed.
status copy_new_frames(const std::string& path, const frame_package& shown, staged_writer& bundle) {
  auto in = file_reader::open(path);
  if (!in) return in.error();
  if (read_frame_package(*in) != shown) return failure{refusal::changed, path};
  if (status rewound = in->seek(0); !rewound) return rewound;
  byte_string buffer(file_piece_size);
  status written;
  const auto copied = read_in_pieces(*in, shown.frame_bytes(), buffer, [&](std::span<std::uint8_t> piece) {
    written = bundle.write(piece);
    return written.ok();
  });
  if (!copied) return copied.error();
  if (!written) return written;
  if (*copied != shown.frame_bytes()) return failure{refusal::changed, path};
  return {};
}

}  // namespace

outcome<prepared_bundle> rebuild_bundle(const workflow_state& state, const stock_identity& identity,
                                        std::string_view source_path, bool make_backup, message_port& messages,
                                        const std::function<void()>& while_hashing) {
  if (!file_exists(source_path)) return failure{os_error::not_found, text(source_path)};

  std::optional<failure> bundle_failure;
  auto bundle = staged_writer::create(state.bundle_path);
  if (!bundle) bundle_failure = bundle.error();
  std::optional<staged_writer> backup;
  std::optional<failure> backup_failure;
  if (make_backup) {
    auto created = staged_writer::create(state.backup_path);
    if (created)
      backup = std::move(*created);
    else
      backup_failure = created.error();
  }

  const text frames_path = state.update_folder + text(layout::update_frames);
  prefix_stream request;
  request.source = source_path;
  request.bundle_count = upgraded_frame_count(identity, state.new_frames.count);
  request.bundle = bundle ? &*bundle : nullptr;
  request.backup = backup ? &*backup : nullptr;
  // While the last pieces are hashed: the frames, the bundle's flush, and
  // whatever the caller has to do meanwhile.
  std::optional<staged_file> bundle_file;
  request.after_prefix = [&]() -> status {
    if (!bundle) return {};
    if (status copied = copy_new_frames(frames_path, state.new_frames, *bundle); !copied) return copied;
    auto finished = bundle->finish();
    if (!finished) return finished.error();
    bundle_file = std::move(*finished);
    if (while_hashing) while_hashing();
    return {};
  };
  const prefix_stream_result streamed = stream_stock_prefix(identity, request);
  if (!bundle_failure && streamed.bundle_failure) bundle_failure = streamed.bundle_failure;
  if (!backup_failure && streamed.backup_failure) backup_failure = streamed.backup_failure;

  // The digest decides first, as if nothing had been written: a source that
  // is not the stock one is reported so, whatever else failed.
  if (!streamed.proved) {
    messages.show_message(messages::bundle_modified);
    if (streamed.source_failure) return *streamed.source_failure;
    return failure{refusal::modified, text(source_path)};
  }
  if (bundle_failure && bundle_failure->kind == refusal::changed) return *bundle_failure;

  std::optional<staged_file> backup_file;
  if (backup && !backup_failure) {
    auto finished = backup->finish();
    if (finished)
      backup_file = std::move(*finished);
    else
      backup_failure = finished.error();
  }
  // After the first upgrade the backup is the only stock copy left, so it
  // must be proved on disk before the live bundle may be replaced.
  if (backup_file && !backup_failure) {
    if (status proved = prove_stock_backup(*backup_file, identity); !proved) backup_failure = proved.error();
  }
  if (backup_failure) return *backup_failure;

  if (bundle_failure || !bundle_file) {
    if (!bundle_failure) bundle_failure = failure{os_error::other, state.bundle_path};
    messages.show_message(messages::frame_count_failed);
    return *bundle_failure;
  }
  return prepared_bundle{std::move(*bundle_file), std::move(backup_file)};
}

}  // namespace vantor
