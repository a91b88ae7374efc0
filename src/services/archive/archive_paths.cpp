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

bool is_safe_entry_name(std::string_view name) {
  if (!name.empty() && is_name_separator(name.front())) return false;  // absolute or UNC
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == ':') return false;  // zero byte, control, drive or stream
  }
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !is_name_separator(name[end])) ++end;
    if (name.substr(start, end - start) == "..") return false;
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
