#include "services/file_compare.h"

#include <algorithm>

#include "services/files.h"

namespace vantor {

outcome<bool> same_file_bytes(std::string_view a, std::string_view b) {
  auto first = file_reader::open(a);
  if (!first) return first.error();
  auto second = file_reader::open(b);
  if (!second) return second.error();
  const auto size = first->size();
  if (!size) return size.error();
  const auto other_size = second->size();
  if (!other_size) return other_size.error();
  if (*size != *other_size) return false;
  byte_string theirs = piece_buffer(*size);
  byte_string ours(theirs.size());
  bool same = true;
  const auto read = read_in_pieces(*first, *size, ours, [&](std::span<std::uint8_t> piece) {
    const status got = second->read_exactly(std::span(theirs).first(piece.size()));
    same = got && std::equal(piece.begin(), piece.end(), theirs.begin());
    return same;
  });
  if (!read) return read.error();
  return same && *read == *size;
}

}  // namespace vantor
