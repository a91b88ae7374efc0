#pragma once
// The system's text conversions the program needs.

#include <string>
#include <string_view>

namespace vantor::platform {

/// Decodes GB18030 (the superset of GBK that Chinese Windows writes) to
/// UTF-8. A byte that starts no valid sequence becomes U+FFFD.
std::string decode_gb18030(std::string_view bytes);

/// Encodes one character, given as its UTF-8 bytes, in GBK (code page 936,
/// as Chinese Windows reads it). False when GBK has no such character; a
/// near look-alike is never put in its place.
bool encode_gbk_character(std::string_view utf8_character, std::string& out);

}  // namespace vantor::platform
