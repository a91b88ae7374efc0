#include "workflow/rebuild.h"

#include <array>
#include <vector>

#include "services/bytes.h"
#include "services/digest.h"
#include "services/files.h"
#include "workflow/messages.h"

namespace vantor {

namespace {

// The pieces of the new bundle: the stock prefix with its frame count field
// replaced, then the new frame block. The prefix is never copied.
std::vector<byte_view> new_bundle_pieces(const byte_string& stock, const byte_string& new_frames,
                                         std::size_t count_offset, const std::array<std::uint8_t, 4>& count,
                                         byte_string& spill) {
  std::vector<byte_view> pieces;
  if (count_offset + count.size() <= stock.size()) {
    const byte_view prefix(stock);
    pieces.push_back(prefix.subspan(0, count_offset));
    pieces.push_back(byte_view(count));
    pieces.push_back(prefix.subspan(count_offset + count.size()));
    pieces.push_back(byte_view(new_frames));
    return pieces;
  }
  // The field reaches past the prefix (only tiny test identities do this):
  // build the whole bundle once and patch it, growing it when needed.
  spill = join_bytes({byte_view(stock), byte_view(new_frames)});
  if (spill.size() < count_offset + count.size()) spill.resize(count_offset + count.size());
  std::copy(count.begin(), count.end(), spill.begin() + static_cast<std::ptrdiff_t>(count_offset));
  pieces.push_back(byte_view(spill));
  return pieces;
}

}  // namespace

std::optional<prepared_bundle> rebuild_bundle(const workflow_state& state, const stock_identity& identity,
                                              std::string_view source_path, bool make_backup,
                                              message_port& messages) {
  if (!file_exists(source_path)) return std::nullopt;

  const byte_string stock = read_file_start(source_path, identity.prefix_length);
  if (compare_texts(md5_text_digest(stock), identity.digest) != 0) {
    messages.show_message(messages::bundle_modified);
    return std::nullopt;
  }

  std::optional<staged_file> backup;
  if (make_backup) {
    // After the first upgrade the backup is the only stock copy left, so it
    // must be proved on disk before the live bundle may be replaced.
    backup = staged_file::prepare(state.backup_path, stock);
    if (!backup) return std::nullopt;
    // Read back from the file and compared with the bytes just proved by
    // their digest: a short or garbled write shows up here.
    if (!file_holds(backup->temporary_path(), stock)) return std::nullopt;
  }

  std::array<std::uint8_t, 4> count{};
  store_le32(count.data(), to_integer(static_cast<double>(state.new_frame_count) +
                                      static_cast<double>(identity.stock_count)));
  byte_string spill;
  const auto pieces = new_bundle_pieces(stock, state.new_frames, static_cast<std::size_t>(identity.count_offset),
                                        count, spill);
  auto bundle = staged_file::prepare(state.bundle_path, pieces);
  if (!bundle) {
    messages.show_message(messages::frame_count_failed);
    return std::nullopt;
  }
  return prepared_bundle{std::move(*bundle), std::move(backup)};
}

}  // namespace vantor
