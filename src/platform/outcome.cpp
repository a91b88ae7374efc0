#include "platform/outcome.h"

#include <cstdint>

#include "platform/system_error.h"

namespace vantor {

std::string_view describe(failure_kind kind) { return kind.category().describe(kind.value()); }

std::string_view path_in_folder(std::string_view path, std::string_view folder) {
  if (!folder.empty() && path.size() > folder.size() && path.starts_with(folder) &&
      (path[folder.size()] == '/' || path[folder.size()] == '\\'))
    path.remove_prefix(folder.size() + 1);
  return path;
}

namespace {

void escape(std::string& out, char form, std::uint32_t value, int digits) {
  static constexpr char hex[] = "0123456789abcdef";
  out += '\\';
  out += form;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += hex[(value >> shift) & 0xF];
}

// The length of the UTF-8 sequence at text[i] and its code point, or 0 when
// no valid sequence starts there.
std::size_t utf8_sequence(std::string_view text, std::size_t i, std::uint32_t& code) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = byte(i);
  std::size_t length = 0;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points past Unicode are no UTF-8.
  const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

bool shown_as_escape(std::uint32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029 ||
         (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

}  // namespace

std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t code = 0;
    const std::size_t length = utf8_sequence(text, i, code);
    if (length == 0) {
      escape(out, 'x', static_cast<std::uint8_t>(text[i]), 2);
      ++i;
      continue;
    }
    if (shown_as_escape(code)) {
      if (code < 0x80)
        escape(out, 'x', code, 2);
      else
        escape(out, 'u', code, 4);
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out;
}

std::string describe(const failure& why, std::string_view folder) {
  std::string sentence = printable(path_in_folder(why.path, folder));
  if (!sentence.empty()) sentence += ' ';
  sentence += describe(why.kind);
  // The system said no more than its code: pass that on for whoever helps.
  if (why.kind == os_error::other && why.native_code != 0)
    sentence += " (system error " + std::to_string(why.native_code) + ": " +
                printable(platform::native_error_text(why.native_code)) + ")";
  return sentence;
}

}  // namespace vantor
