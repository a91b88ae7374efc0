#include "services/bytes.h"

namespace vantor {

byte_string join_bytes(std::initializer_list<byte_view> pieces) {
  std::size_t total = 0;
  for (const auto& piece : pieces) total += piece.size();
  byte_string joined;
  joined.reserve(total);
  for (const auto& piece : pieces) joined.insert(joined.end(), piece.begin(), piece.end());
  return joined;
}

}  // namespace vantor
