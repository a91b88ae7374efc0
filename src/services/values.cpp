#include "services/values.h"

#include <cmath>

namespace vantor {

int compare_texts(std::string_view a, std::string_view b) {
  // Texts end at their first zero byte, as zero-terminated strings do.
  a = a.substr(0, a.find('\0'));
  b = b.substr(0, b.find('\0'));
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::int32_t to_integer(double x) {
  // 2^63 is exactly representable as a double; [-2^63, 2^63) fits int64_t.
  constexpr double limit = 9223372036854775808.0;
  if (std::isnan(x)) return 0;
  const double truncated = std::trunc(x);
  if (truncated >= limit || truncated < -limit) return 0;
  const auto wide = static_cast<std::int64_t>(truncated);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

}  // namespace vantor
