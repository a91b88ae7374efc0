#include "services/archive/archive_paths.h"

#include "platform/files.h"
#include "platform/text.h"
#include "services/texts.h"

namespace vantor {

namespace {

bool is_name_separator(char c) { return c == '/' || c == '\\'; }

}  // namespace

bool path_exists(std::string_view path) { return platform::kind_of(path) != platform::entry_kind::none; }

void ensure_trailing_separator(std::string& path) {
  if (path.empty() || !platform::is_separator(path.back())) path += platform::path_separator;
}

status create_folder_path(std::string_view path) {
  std::string full(path);
  ensure_trailing_separator(full);
  const std::string_view levels = full;
  // Either separator ends a level: a Windows path may hold "/" too. The
  // levels are created after the deepest one that exists, found from the
  // end, because the front of a Windows path may hold parts that are no
  // folders at all (the "\\?\" or "\\server\share" of a path).
  std::size_t first_missing = 0;
  for (std::size_t k = levels.size(); k-- > 0;) {
    if (platform::is_separator(levels[k]) && path_exists(levels.substr(0, k + 1))) {
      first_missing = k + 1;
      break;
    }
  }
  for (std::size_t k = first_missing; k < levels.size(); ++k) {
    if (!platform::is_separator(levels[k])) continue;
    const std::string_view level = levels.substr(0, k + 1);
    if (path_exists(level)) continue;
    if (status created = platform::create_folder(level); !created) return created;
  }
  return {};
}

namespace {

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (lower_ascii(a[k]) != lower_ascii(b[k])) return false;
  return true;
}

// Windows opens a device for these names, whatever follows the first dot
// and however the letters are cased: "nul.tar.gz" and "Com1.txt" are the
// NUL and COM1 devices. Superscript digits count as digits there.
bool is_device_name(std::string_view part) {
  std::string_view base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const std::string_view device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
    if (equals_ignoring_case(base, device)) return true;
  if (base.size() < 4) return false;
  const std::string_view prefix = base.substr(0, 3), number = base.substr(3);
  if (!equals_ignoring_case(prefix, "com") && !equals_ignoring_case(prefix, "lpt")) return false;
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" || number == "\xC2\xB2" ||
         number == "\xC2\xB3";
}

// A part of a name that Windows cannot hold as it is: a device, or a name
// it would change by dropping a final dot or space.
bool windows_refuses_part(std::string_view part) {
  if (part.empty() || part == ".") return false;  // dropped from the path
  if (part == "..") return true;
  if (part.back() == '.' || part.back() == ' ') return true;
  return is_device_name(part);
}

}  // namespace

bool is_safe_entry_name(std::string_view name) {
  if (!name.empty() && is_name_separator(name.front())) return false;  // absolute or UNC
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;  // zero byte or control character
    // A drive (also "C:x", relative to that drive's folder), an alternate
    // data stream, or a character Windows does not allow in names.
    if (std::string_view(":<>\"|?*").find(c) != std::string_view::npos) return false;
  }
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !is_name_separator(name[end])) ++end;
    if (windows_refuses_part(name.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

std::string entry_name_text(std::string_view stored, bool marked_utf8) {
  if (marked_utf8 || is_valid_utf8(stored)) return std::string(stored);
  return platform::decode_gb18030(stored);
}

std::vector<std::string_view> entry_name_parts(std::string_view name) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !is_name_separator(name[end])) ++end;
    const std::string_view part = name.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

bool ends_in_separator(std::string_view name) { return !name.empty() && is_name_separator(name.back()); }

}  // namespace vantor
