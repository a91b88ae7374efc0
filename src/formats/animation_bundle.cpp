#include "formats/animation_bundle.h"

#include <algorithm>
#include <limits>

#include "services/digest.h"
#include "services/files.h"
#include "services/little_endian.h"

namespace vantor {

frame_package parse_frame_package(byte_string file) {
  frame_package package;
  if (file.size() < 4) return package;
  package.has_count = true;
  package.count = static_cast<std::int32_t>(load_le32(file.data() + file.size() - 4));
  file.resize(file.size() - 4);  // cut in place to the frame block, without a copy
  package.frames = std::move(file);
  return package;
}

bool frame_count_fits(const stock_identity& identity, std::int32_t new_count, std::size_t frame_bytes) {
  const std::int64_t last_frame = std::int64_t{identity.stock_count} + new_count;
  return new_count > 0 && last_frame <= std::numeric_limits<std::int32_t>::max() && frame_bytes > 0;
}

std::int32_t upgraded_frame_count(const stock_identity& identity, std::int32_t new_count) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(identity.stock_count) +
                                   static_cast<std::uint32_t>(new_count));
}

new_bundle::new_bundle(const byte_string& stock_prefix, byte_view frames, const stock_identity& identity,
                       std::int32_t new_count)
    : prefix_(stock_prefix), frames_(frames), count_offset_(static_cast<std::size_t>(identity.count_offset)) {
  store_le32(count_field_.data(), upgraded_frame_count(identity, new_count));
  if (count_offset_ + count_field_.size() <= prefix_.size()) return;
  // The field reaches past the prefix (only tiny test identities do this):
  // build the whole bundle once and patch it, growing it when needed.
  whole_ = join_bytes({byte_view(prefix_), frames_});
  if (whole_.size() < count_offset_ + count_field_.size()) whole_.resize(count_offset_ + count_field_.size());
  std::copy(count_field_.begin(), count_field_.end(), whole_.begin() + static_cast<std::ptrdiff_t>(count_offset_));
}

std::vector<byte_view> new_bundle::pieces() const {
  if (!whole_.empty()) return {byte_view(whole_)};
  const byte_view prefix(prefix_);
  return {prefix.subspan(0, count_offset_), byte_view(count_field_),
          prefix.subspan(count_offset_ + count_field_.size()), frames_};
}

bool is_stock_prefix(byte_view prefix, const stock_identity& identity) {
  return compare_texts(md5_text_digest(prefix), identity.digest) == 0;
}

byte_string stock_prefix_of_upgraded(const bundle_inspection& upgraded, const stock_identity& identity) {
  byte_string prefix = upgraded.prefix;
  const auto offset = static_cast<std::size_t>(identity.count_offset);
  if (offset + 4 <= prefix.size()) store_le32(prefix.data() + offset, identity.stock_count);
  return prefix;
}

bundle_inspection inspect_bundle(std::string_view path, const stock_identity& identity) {
  bundle_inspection found;
  if (!file_exists(path)) return found;
  auto prefix = read_file_start(path, identity.prefix_length);
  if (!prefix) found.unread = prefix.error();
  found.prefix = std::move(prefix).value_or({});
  if (is_stock_prefix(found.prefix, identity)) {
    found.kind = bundle_kind::stock;
    return found;
  }
  found.kind = bundle_kind::modified;
  // An upgraded bundle is the stock prefix once its count field holds the
  // stock count again.
  const auto offset = static_cast<std::size_t>(identity.count_offset);
  if (found.prefix.size() != static_cast<std::size_t>(identity.prefix_length) || offset + 4 > found.prefix.size())
    return found;
  if (is_stock_prefix(stock_prefix_of_upgraded(found, identity), identity)) {
    found.kind = bundle_kind::upgraded;
    found.frame_count = static_cast<std::int32_t>(load_le32(found.prefix.data() + offset));
  }
  return found;
}

}  // namespace vantor
