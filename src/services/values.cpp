#include "services/values.h"

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

}  // namespace vantor
