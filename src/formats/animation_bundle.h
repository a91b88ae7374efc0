#pragma once
// The animation bundle and the update package's frame package: which of
// their bytes the program reads and writes.
//
// A stock bundle starts with the stock prefix (stock_identity); an upgraded
// bundle is the stock prefix with its frame count field rewritten, followed
// by the new frame block. new.amb.out is the new frame block followed by the
// count of new frames in its last four bytes.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "formats/stock_identity.h"
#include "services/bytes.h"
#include "services/outcome.h"
#include "services/values.h"

namespace vantor {

/// What new.amb.out holds.
struct frame_package {
  byte_string frames;      ///< the new frame block
  std::int32_t count = 0;  ///< new frames: the last four bytes, 0 when the file is shorter
  bool has_count = false;  ///< the file holds at least the four count bytes
};

/// Splits the bytes of new.amb.out into the frame block and the count.
frame_package parse_frame_package(byte_string file);

/// Whether a frame package's count fits its frames: at least one new frame,
/// the last frame number (stock count + count) within 32 signed bits, and
/// frame bytes for a positive count.
bool frame_count_fits(const stock_identity& identity, std::int32_t new_count, std::size_t frame_bytes);

/// The frame count field of a bundle with new_count new frames: the stock
/// count plus new_count, wrapping as a 32-bit number.
std::int32_t upgraded_frame_count(const stock_identity& identity, std::int32_t new_count);

/// A new bundle as the pieces to write: the stock prefix with its frame count
/// field set, then the new frame block. The prefix is not copied; keep it and
/// the frames alive while the pieces are used.
class new_bundle {
 public:
  new_bundle(const byte_string& stock_prefix, byte_view frames, const stock_identity& identity, std::int32_t new_count);
  new_bundle(const new_bundle&) = delete;
  new_bundle& operator=(const new_bundle&) = delete;

  std::vector<byte_view> pieces() const;

 private:
  const byte_string& prefix_;
  byte_view frames_;
  std::size_t count_offset_;
  std::array<std::uint8_t, 4> count_field_{};
  byte_string whole_;  // only when the field reaches past the prefix
};

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
  byte_string prefix;             ///< the first prefix-length bytes as read
  std::optional<failure> unread;  ///< why the bundle could not be read
};

/// Reads the first prefix-length bytes of a bundle file and classifies them.
bundle_inspection inspect_bundle(std::string_view path, const stock_identity& identity);

/// The stock prefix an upgraded bundle was made from: its prefix with the
/// frame count field set back to the stock count.
byte_string stock_prefix_of_upgraded(const bundle_inspection& upgraded, const stock_identity& identity);

/// Whether bytes are the stock prefix, by their digest.
bool is_stock_prefix(byte_view prefix, const stock_identity& identity);

}  // namespace vantor
