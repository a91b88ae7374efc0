// Description decoding on arbitrary bytes: the text is well-formed UTF-8,
// bounded, kept as it is when it already is UTF-8 (up to its first zero
// byte), UTF-16 after its byte-order mark, and decoding it again changes
// nothing.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "services/texts.h"

namespace {

using vantor::fuzzing::check;

// Strict UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool strict_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t value = 0;
    if (lead < 0x80) {
      length = 1;
      value = lead;
    } else if (lead >= 0xC2 && lead < 0xE0) {
      length = 2;
      value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      length = 3;
      value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead < 0xF5) {
      length = 4;
      value = lead & 0x07u;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = value << 6 | (next & 0x3Fu);
    }
    if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000)) return false;
    if ((value >= 0xD800 && value < 0xE000) || value > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

constexpr std::string_view bom = "\xEF\xBB\xBF";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string decoded = vantor::decode_description(bytes);

  check(strict_utf8(decoded), "the description is not UTF-8");
  check(vantor::is_valid_utf8(decoded), "the program's own check refuses the description");
  check(vantor::is_valid_utf8(bytes) == strict_utf8(bytes), "the UTF-8 checks disagree");
  // One byte gives at most one U+FFFD; two or four give at most three or
  // four bytes of UTF-8.
  check(decoded.size() <= 3 * size, "the description grew past three bytes a byte");

  // UTF-16 after its byte-order mark; any other text ends at its first zero
  // byte and is kept as it is when it is UTF-8.
  const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  if (utf16) {
    check(decoded.find('\0') == std::string::npos, "UTF-16 went past its first U+0000");
  } else if (text.starts_with(bom) && strict_utf8(text.substr(bom.size()))) {
    check(decoded == text.substr(bom.size()), "UTF-8 after a byte-order mark was changed");
  } else if (strict_utf8(text)) {
    check(decoded == text, "UTF-8 was changed");
  }

  // The decoded text decodes to itself (a leading U+FEFF read as GB18030
  // reads back as a byte-order mark).
  const std::string again = vantor::decode_description(decoded);
  const std::string_view expected =
      std::string_view(decoded).starts_with(bom) ? std::string_view(decoded).substr(bom.size()) : decoded;
  check(again == expected, "decoding twice changed the description");
  return 0;
}
