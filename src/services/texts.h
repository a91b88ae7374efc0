#pragma once
// Text operations and the number-to-text rules.

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "services/values.h"

namespace vantor {

/// The pieces one after the other.
text join_texts(std::initializer_list<std::string_view> pieces);

/// Signed decimal ("%d").
text to_text(std::int32_t value);
/// The "%.13g" form: an integral value below 10^13 prints without a point.
text to_text(double value);
/// The bytes up to, not including, the first zero byte.
text to_text(const byte_string& bytes);

/// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
/// values past U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

/// Turns the bytes of a description file into UTF-8 for display. A file that
/// starts with a UTF-16 byte-order mark (FF FE or FE FF, as Notepad saves
/// "Unicode") is UTF-16 of that byte order, up to its first U+0000. Any other
/// ends at its first zero byte: valid UTF-8 stays as it is (without a
/// byte-order mark); anything else is taken as GB18030, the superset of the
/// GBK that Chinese Windows writes. Bytes that decode to nothing (a lone
/// surrogate, an odd last byte of UTF-16) become U+FFFD.
text decode_description(std::string_view bytes);

/// A description in GBK, as the window reads it, and the first character
/// GBK has no code for (empty when there was none).
struct gbk_description {
  byte_string bytes;
  text missing_character;  ///< as UTF-8
};

/// Turns a description file written by an author into GBK: UTF-16 with its
/// byte-order mark (either order), UTF-8 with or without one, or anything
/// else taken as GB18030 as decode_description reads it.
gbk_description description_in_gbk(std::string_view bytes);

}  // namespace vantor
