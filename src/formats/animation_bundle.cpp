#include "formats/animation_bundle.h"

#include <algorithm>
#include <array>
#include <limits>

#include "services/bytes.h"
#include "services/digest.h"
#include "services/files.h"
#include "services/little_endian.h"

namespace vantor {

frame_package read_frame_package(std::string_view path) {
  auto in = file_reader::open(path);
  if (!in) return {};
  return read_frame_package(*in);
}

frame_package read_frame_package(file_reader& in) {
  frame_package package;
  const auto size = in.size();
  if (!size) return package;
  if (*size < 4) {
    package.length = *size;
    return package;
  }
  std::array<std::uint8_t, 4> tail{};
  if (!in.seek(*size - 4) || !in.read_exactly(tail)) return package;
  package.length = *size;
  package.count = static_cast<std::int32_t>(load_le32(tail.data()));
  package.has_count = true;
  return package;
}

bool frame_count_fits(const stock_identity& identity, std::int32_t new_count, std::int64_t frame_bytes) {
  const std::int64_t last_frame = std::int64_t{identity.stock_count} + new_count;
  return new_count > 0 && last_frame <= std::numeric_limits<std::int32_t>::max() && frame_bytes > 0;
}

std::int32_t upgraded_frame_count(const stock_identity& identity, std::int32_t new_count) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(identity.stock_count) +
                                   static_cast<std::uint32_t>(new_count));
}

void set_count_field(std::span<std::uint8_t> piece, std::int64_t piece_offset, const stock_identity& identity,
                     std::int32_t count) {
  std::array<std::uint8_t, 4> field{};
  store_le32(field.data(), count);
  for (std::size_t i = 0; i < field.size(); ++i) {
    const std::int64_t at = identity.count_offset + static_cast<std::int64_t>(i) - piece_offset;
    if (at >= 0 && at < static_cast<std::int64_t>(piece.size())) piece[static_cast<std::size_t>(at)] = field[i];
  }
}

bundle_inspection inspect_bundle(std::string_view path, const stock_identity& identity) {
  bundle_inspection found;
  if (!file_exists(path)) return found;
  found.kind = bundle_kind::modified;
  auto in = file_reader::open(path);
  if (!in) {
    found.unread = in.error();
    return found;
  }
  if (const auto size = in->size()) found.size = *size;
  md5 as_read, as_stock;
  std::int64_t offset = 0;
  std::array<std::uint8_t, 4> field{};
  byte_string buffer = piece_buffer(identity.prefix_length);
  const auto read = read_in_pieces(*in, identity.prefix_length, buffer, [&](std::span<std::uint8_t> piece) {
    as_read.update(piece);
    // Keep the field as read, then hash the piece as a stock bundle has it.
    for (std::size_t i = 0; i < field.size(); ++i) {
      const std::int64_t at = identity.count_offset + static_cast<std::int64_t>(i) - offset;
      if (at >= 0 && at < static_cast<std::int64_t>(piece.size())) field[i] = piece[static_cast<std::size_t>(at)];
    }
    set_count_field(piece, offset, identity, identity.stock_count);
    as_stock.update(piece);
    offset += static_cast<std::int64_t>(piece.size());
    return true;
  });
  if (!read) {
    found.unread = read.error();
    return found;
  }
  const bool whole = *read == identity.prefix_length;
  if (compare_texts(hex_text(as_read.finish()), identity.digest) == 0) {
    found.kind = bundle_kind::stock;
  } else if (whole && compare_texts(hex_text(as_stock.finish()), identity.digest) == 0) {
    found.kind = bundle_kind::upgraded;
    found.frame_count = static_cast<std::int32_t>(load_le32(field.data()));
  }
  return found;
}

}  // namespace vantor
