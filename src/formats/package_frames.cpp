#include "formats/package_frames.h"

#include <algorithm>

#include "formats/animation_bundle.h"
#include "services/files.h"

namespace vantor {

bool bundle_holds_package(std::string_view bundle, std::int32_t frame_count, std::string_view package,
                          const stock_identity& identity) {
  auto frames = file_reader::open(package);
  if (!frames) return false;
  const frame_package found = read_frame_package(*frames);
  if (!found.has_count || upgraded_frame_count(identity, found.count) != frame_count) return false;
  auto upgraded = file_reader::open(bundle);
  if (!upgraded) return false;
  const auto size = upgraded->size();
  if (!size || *size - identity.prefix_length != found.frame_bytes()) return false;
  if (!frames->seek(0) || !upgraded->seek(identity.prefix_length)) return false;
  byte_string ours = piece_buffer(found.frame_bytes());
  byte_string theirs(ours.size());
  bool same = true;
  const auto read = read_in_pieces(*upgraded, found.frame_bytes(), ours, [&](std::span<std::uint8_t> piece) {
    same = frames->read_exactly(std::span(theirs).first(piece.size())) &&
           std::equal(piece.begin(), piece.end(), theirs.begin());
    return same;
  });
  return read && same && *read == found.frame_bytes();
}

}  // namespace vantor
