#include "workflow/bundle_stream.h"

#include <algorithm>

#include "formats/animation_bundle.h"
#include "platform/system_error.h"
#include "services/background_digest.h"
#include "services/digest.h"
#include "services/files.h"
#include "workflow/refusal.h"

namespace vantor {

namespace {

// Writes to a writer until it fails once, remembering why.
void write_to(staged_writer* writer, byte_view piece, std::optional<failure>& failed) {
  if (writer == nullptr || failed) return;
  if (status written = writer->write(piece); !written) failed = written.error();
}

}  // namespace

prefix_stream_result stream_stock_prefix(const stock_identity& identity, const prefix_stream& request) {
  prefix_stream_result result;
  background_md5 hasher;
  auto in = file_reader::open(request.source);
  if (!in) {
    result.source_failure = in.error();
    return result;
  }
  std::int64_t offset = 0;
  byte_string with_count;  // the piece that holds the bundle's count field
  while (offset < identity.prefix_length) {
    const auto want = static_cast<std::size_t>(
        std::min<std::int64_t>(identity.prefix_length - offset, static_cast<std::int64_t>(file_piece_size)));
    byte_string piece = hasher.take_buffer(want);
    const auto got = in->read(piece);
    if (!got) {
      result.source_failure = got.error();
      break;
    }
    if (*got == 0) break;  // a short bundle: its digest cannot match
    piece.resize(*got);
    if (request.proved_count) set_count_field(piece, offset, identity, *request.proved_count);
    write_to(request.backup, piece, result.backup_failure);
    const bool holds_field = offset <= identity.count_offset + 3 && identity.count_offset < offset + std::int64_t(*got);
    if (holds_field) {
      with_count = piece;
      set_count_field(with_count, offset, identity, request.bundle_count);
    }
    write_to(request.bundle, holds_field ? byte_view(with_count) : byte_view(piece), result.bundle_failure);
    offset += static_cast<std::int64_t>(*got);
    hasher.update(std::move(piece));  // the hasher owns the piece from here
    if (request.progress)
      request.progress(static_cast<std::uint64_t>(offset), static_cast<std::uint64_t>(identity.prefix_length));
  }
  // The frames are copied while the last pieces are still being hashed.
  if (!result.source_failure && !result.bundle_failure && request.after_prefix) {
    if (status done = request.after_prefix(); !done) result.bundle_failure = done.error();
  }
  result.proved = !result.source_failure && offset == identity.prefix_length &&
                  compare_texts(hex_text(hasher.finish()), identity.digest) == 0;
  return result;
}

status prove_stock_backup(const staged_file& backup, const stock_identity& identity) {
  const auto digest = file_start_digest(backup.temporary_path(), std::int64_t{identity.prefix_length} + 1);
  if (!digest) return digest.error();
  if (compare_texts(*digest, identity.digest) != 0) return failure{refusal::read_back_differs, backup.target_path()};
  return {};
}

}  // namespace vantor
