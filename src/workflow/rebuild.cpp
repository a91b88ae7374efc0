#include "workflow/rebuild.h"

#include "formats/animation_bundle.h"
#include "formats/game_layout.h"
#include "services/files.h"
#include "workflow/bundle_stream.h"
#include "workflow/refusal.h"

namespace vantor {

namespace {

struct frame_copy {
  status written;
  bool package_changed = false;  ///< new.amb.out is no longer the file the window showed
};

// Copies the new frame block of new.amb.out to the bundle, in pieces, after
// making sure the file is still the one the window showed.
frame_copy copy_new_frames(const std::string& path, const frame_package& shown, staged_writer& bundle) {
  const auto changed = [&] { return frame_copy{failure{refusal::changed, path}, true}; };
  auto in = file_reader::open(path);
  if (!in) return {in.error()};
  if (read_frame_package(*in) != shown) return changed();
  if (status rewound = in->seek(0); !rewound) return {rewound};
  byte_string buffer = piece_buffer(shown.frame_bytes());
  status written;
  const auto copied = read_in_pieces(*in, shown.frame_bytes(), buffer, [&](std::span<std::uint8_t> piece) {
    written = bundle.write(piece);
    return written.ok();
  });
  if (!copied) return {copied.error()};
  if (!written) return {written};
  if (*copied != shown.frame_bytes()) return changed();
  return {};
}

bundle_proof refused(source_verdict verdict, failure why) {
  return bundle_proof{verdict, std::move(why), std::nullopt};
}

}  // namespace

bundle_proof rebuild_bundle(const workflow_state& state, const stock_identity& identity, const bundle_source& source,
                            overlapping_work& meanwhile, const progress_callback& progress) {
  const entry_type found = entry_type_of(source.path);
  if (found == entry_type::none)
    return refused(source_verdict::missing, failure{os_error::not_found, text(source.path)});
  // The backup is read only as a regular file of its own: read through a link
  // it could be the live bundle itself, and the stock bytes would then be
  // nowhere once the live bundle is replaced.
  if (source.backup == backup_step::keep_existing && found != entry_type::file)
    return refused(source_verdict::unreadable, failure{os_error::not_a_file, text(source.path)});

  std::optional<failure> bundle_failure;
  auto bundle = staged_writer::create(state.bundle_path);
  if (!bundle) bundle_failure = bundle.error();
  std::optional<staged_writer> backup;
  std::optional<failure> backup_failure;
  if (source.backup == backup_step::write_new) {
    auto created = staged_writer::create(state.backup_path);
    if (created)
      backup = std::move(*created);
    else
      backup_failure = created.error();
  }

  const text frames_path = state.update_folder + text(layout::update_frames);
  prefix_stream request;
  request.source = source.path;
  request.bundle_count = upgraded_frame_count(identity, state.new_frames.count);
  request.bundle = bundle ? &*bundle : nullptr;
  request.backup = backup ? &*backup : nullptr;
  request.progress = progress;
  // While the last pieces are hashed: the frames, the bundle's flush, and
  // the command's own overlapping steps.
  std::optional<staged_file> bundle_file;
  bool package_changed = false;
  request.after_prefix = [&]() -> status {
    if (!bundle) return {};
    const frame_copy copied = copy_new_frames(frames_path, state.new_frames, *bundle);
    package_changed = copied.package_changed;
    if (!copied.written) return copied.written;
    auto finished = bundle->finish();
    if (!finished) return finished.error();
    bundle_file = std::move(*finished);
    meanwhile.run();
    return {};
  };
  const prefix_stream_result streamed = stream_stock_prefix(identity, request);
  if (!bundle_failure && streamed.bundle_failure) bundle_failure = streamed.bundle_failure;
  if (!backup_failure && streamed.backup_failure) backup_failure = streamed.backup_failure;

  if (streamed.source_failure) return refused(source_verdict::unreadable, *streamed.source_failure);
  if (!streamed.proved) return refused(source_verdict::modified, failure{refusal::modified, text(source.path)});
  if (package_changed) return refused(source_verdict::package_changed, *bundle_failure);

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
  if (backup_failure) return refused(source_verdict::backup_write_failed, *backup_failure);

  if (bundle_failure || !bundle_file)
    return refused(source_verdict::bundle_write_failed,
                   bundle_failure ? *bundle_failure : failure{os_error::other, state.bundle_path});
  return bundle_proof{source_verdict::proved, std::nullopt,
                      prepared_bundle{std::move(*bundle_file), std::move(backup_file)}};
}

}  // namespace vantor
