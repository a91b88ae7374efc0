#pragma once
// The animation bundle and the update package's frame package: which of
// their bytes the program reads and writes.
//
// A stock bundle starts with the stock prefix (stock_identity); an upgraded
// bundle is the stock prefix with its frame count field rewritten, followed
// by the new frame block. new.amb.out is the new frame block followed by the
// count of new frames in its last four bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "formats/stock_identity.h"
#include "platform/outcome.h"
#include "services/files.h"

namespace vantor {

/// new.amb.out as the program sees it: its length and the count in its last
/// four bytes. The frames themselves stay on disk until an upgrade copies
/// them.
struct frame_package {
  std::int64_t length = 0;  ///< bytes in the file; 0 when it cannot be read
  std::int32_t count = 0;   ///< new frames: the last four bytes, 0 when the file is shorter
  bool has_count = false;   ///< the file holds at least the four count bytes

  /// Bytes of the new frame block.
  std::int64_t frame_bytes() const { return has_count ? length - 4 : 0; }
  friend bool operator==(const frame_package&, const frame_package&) = default;
};

/// Reads the length and count of new.amb.out; a file that cannot be read is
/// an empty package.
frame_package read_frame_package(std::string_view path);
/// The same through a file already open; leaves its position after the
/// count.
frame_package read_frame_package(file_reader& in);

/// Whether a frame package's count fits its frames: at least one new frame,
/// the last frame number (stock count + count) within 32 signed bits, and
/// frame bytes for a positive count.
bool frame_count_fits(const stock_identity& identity, std::int32_t new_count, std::int64_t frame_bytes);

/// The frame count field of a bundle with new_count new frames: the stock
/// count plus new_count, wrapping as a 32-bit number.
std::int32_t upgraded_frame_count(const stock_identity& identity, std::int32_t new_count);

/// Writes count into the frame count field where it overlaps a piece of a
/// bundle that starts at piece_offset in the file (the field may straddle
/// two pieces).
void set_count_field(std::span<std::uint8_t> piece, std::int64_t piece_offset, const stock_identity& identity,
                     std::int32_t count);

/// Where a bundle file stands against the stock identity.
enum class bundle_kind {
  missing,   ///< nothing at the path
  stock,     ///< its first prefix-length bytes are the stock prefix
  upgraded,  ///< the stock prefix but for its frame count field
  modified,  ///< anything else, also a bundle that cannot be read
};

struct bundle_inspection {
  bundle_kind kind = bundle_kind::missing;
  std::int32_t frame_count = 0;   ///< the frame count field of an upgraded bundle
  std::int64_t size = 0;          ///< the file's size in bytes
  std::optional<failure> unread;  ///< why the bundle could not be read
};

/// Reads the first prefix-length bytes of a bundle file in pieces and
/// classifies them: one pass hashes them as they are and with the count
/// field set back to the stock count.
bundle_inspection inspect_bundle(std::string_view path, const stock_identity& identity);

}  // namespace vantor
