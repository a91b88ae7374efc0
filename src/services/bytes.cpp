#include "services/bytes.h"

#include <algorithm>

namespace vantor {

byte_string left_bytes(const byte_string& data, std::int32_t n) {
  if (n <= 0) return {};
  const auto count = std::min(data.size(), static_cast<std::size_t>(n));
  return byte_string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(count));
}

std::int32_t byte_length(const byte_string& data) {
  return static_cast<std::int32_t>(data.size());
}

byte_string join_bytes(std::initializer_list<byte_view> pieces) {
  std::size_t total = 0;
  for (const auto& piece : pieces) total += piece.size();
  byte_string joined;
  joined.reserve(total);
  for (const auto& piece : pieces) joined.insert(joined.end(), piece.begin(), piece.end());
  return joined;
}

typed_value read_value_at(const byte_string& data, value_kind kind, std::int32_t position) {
  (void)kind;  // 32-bit integers are the only kind there is
  const std::int64_t offset = static_cast<std::int64_t>(position) - 1;
  if (offset < 0 || offset >= static_cast<std::int64_t>(data.size())) return std::int32_t{0};
  const auto start = static_cast<std::size_t>(offset);
  const std::size_t available = std::min<std::size_t>(4, data.size() - start);
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < available; ++i) value |= std::uint32_t{data[start + i]} << (8 * i);
  return static_cast<std::int32_t>(value);
}

void store_le32(std::uint8_t* out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace vantor
