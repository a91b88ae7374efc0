#include "services/texts.h"

#include <algorithm>
#include <cstdio>

#include "platform/text.h"

namespace vantor {

text join_texts(std::initializer_list<std::string_view> pieces) {
  std::size_t total = 0;
  for (auto piece : pieces) total += piece.size();
  text joined;
  joined.reserve(total);
  for (auto piece : pieces) joined.append(piece);
  return joined;
}

text to_text(std::int32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return buffer;
}

text to_text(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.13g", value);
  return buffer;
}

text to_text(const byte_string& bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return text(bytes.begin(), end);
}

namespace {

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not valid
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t utf8_sequence_length(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return length;
}

}  // namespace

bool is_valid_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t length = utf8_sequence_length(s, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

text decode_description(std::string_view bytes) {
  constexpr std::string_view bom = "\xEF\xBB\xBF";
  if (bytes.substr(0, bom.size()) == bom) {
    const auto rest = bytes.substr(bom.size());
    if (is_valid_utf8(rest)) return text(rest);
  } else if (is_valid_utf8(bytes)) {
    return text(bytes);
  }
  return platform::decode_gb18030(bytes);
}

}  // namespace vantor
