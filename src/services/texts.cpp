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

namespace {

void append_utf8(text& out, std::uint32_t value) {
  if (value < 0x80) {
    out += static_cast<char>(value);
  } else if (value < 0x800) {
    out += static_cast<char>(0xC0 | (value >> 6));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    out += static_cast<char>(0xE0 | (value >> 12));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (value >> 18));
    out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  }
}

constexpr std::uint32_t replacement = 0xFFFD;

// UTF-16 after its byte-order mark, up to the first U+0000. A surrogate
// without its partner and an odd last byte become U+FFFD.
text decode_utf16(std::string_view units, bool big_endian) {
  const auto unit_at = [&](std::size_t i) -> std::uint32_t {
    const auto first = static_cast<std::uint8_t>(units[i]);
    const auto second = static_cast<std::uint8_t>(units[i + 1]);
    return big_endian ? (std::uint32_t{first} << 8 | second) : (std::uint32_t{second} << 8 | first);
  };
  text out;
  std::size_t i = 0;
  for (; i + 2 <= units.size(); i += 2) {
    const std::uint32_t unit = unit_at(i);
    if (unit == 0) return out;
    if (unit >= 0xD800 && unit < 0xDC00 && i + 4 <= units.size()) {
      const std::uint32_t low = unit_at(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    append_utf8(out, unit >= 0xD800 && unit < 0xE000 ? replacement : unit);
  }
  if (i < units.size()) append_utf8(out, replacement);
  return out;
}

}  // namespace

text decode_description(std::string_view bytes) {
  // Notepad's "Unicode" and "Unicode big endian".
  if (bytes.starts_with("\xFF\xFE")) return decode_utf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return decode_utf16(bytes.substr(2), true);
  // Any other text ends at its first zero byte.
  bytes = bytes.substr(0, bytes.find('\0'));
  constexpr std::string_view bom = "\xEF\xBB\xBF";
  if (bytes.substr(0, bom.size()) == bom) {
    const auto rest = bytes.substr(bom.size());
    if (is_valid_utf8(rest)) return text(rest);
  } else if (is_valid_utf8(bytes)) {
    return text(bytes);
  }
  return platform::decode_gb18030(bytes);
}

namespace {

// UTF-16 (after its byte-order mark) as UTF-8; an unpaired surrogate or a
// cut-off last unit becomes U+FFFD.
text utf16_to_utf8(std::string_view units, bool big_endian) {
  const auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(units[i]), b = static_cast<unsigned char>(units[i + 1]);
    return big_endian ? static_cast<std::uint32_t>(a << 8 | b) : static_cast<std::uint32_t>(b << 8 | a);
  };
  text out;
  const auto put = [&](std::uint32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  std::size_t i = 0;
  for (; i + 1 < units.size(); i += 2) {
    const std::uint32_t first = unit(i);
    if (first >= 0xD800 && first <= 0xDBFF && i + 3 < units.size()) {
      const std::uint32_t second = unit(i + 2);
      if (second >= 0xDC00 && second <= 0xDFFF) {
        put(0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
        i += 2;
        continue;
      }
    }
    put(first >= 0xD800 && first <= 0xDFFF ? 0xFFFD : first);
  }
  if (i < units.size()) put(0xFFFD);
  return out;
}

}  // namespace

gbk_description description_in_gbk(std::string_view bytes) {
  text utf8;
  if (bytes.starts_with("\xFF\xFE"))
    utf8 = utf16_to_utf8(bytes.substr(2), false);
  else if (bytes.starts_with("\xFE\xFF"))
    utf8 = utf16_to_utf8(bytes.substr(2), true);
  else
    utf8 = decode_description(bytes);
  gbk_description out;
  out.bytes.reserve(utf8.size());
  std::string encoded;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = std::max<std::size_t>(utf8_sequence_length(utf8, i), 1);
    const std::string_view character = std::string_view(utf8).substr(i, length);
    encoded.clear();
    if (length == 1 && static_cast<unsigned char>(character[0]) < 0x80) {
      encoded = character;
    } else if (!platform::encode_gbk_character(character, encoded)) {
      out.missing_character = text(character);
      return out;
    }
    out.bytes.insert(out.bytes.end(), encoded.begin(), encoded.end());
    i += length;
  }
  return out;
}

}  // namespace vantor
