#include "services/archive/archive_paths.h"

#include "platform/platform.h"

namespace vantor {

namespace {

bool is_name_separator(char c) { return c == '/' || c == '\\'; }

}  // namespace

bool path_exists(std::string_view path) { return platform::kind_of(path) != platform::entry_kind::none; }

void ensure_trailing_separator(std::string& path) {
  if (path.empty() || path.back() != platform::path_separator) path += platform::path_separator;
}

bool create_folder_path(std::string_view path) {
  std::string full(path);
  ensure_trailing_separator(full);
  for (std::size_t k = 0; k < full.size(); ++k) {
    if (full[k] != platform::path_separator) continue;
    const std::string level = full.substr(0, k + 1);
    if (!path_exists(level) && !platform::create_folder(level).ok()) return false;
  }
  return true;
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

std::string entry_output_path(std::string_view target_folder, std::string_view name) {
  std::string path(target_folder);
  ensure_trailing_separator(path);
  for (const char c : name) path += is_name_separator(c) ? platform::path_separator : c;
  return path;
}

bool passes_through_link(std::string_view target_folder, std::string_view path) {
  std::string prefix(target_folder);
  ensure_trailing_separator(prefix);
  if (path.substr(0, prefix.size()) != prefix) return false;
  // Each part is looked at without a trailing separator, which would make
  // the system follow a link.
  for (std::size_t at = prefix.size(); at <= path.size(); ++at) {
    if (at < path.size() && path[at] != platform::path_separator) continue;
    if (at > 0 && path[at - 1] != platform::path_separator &&
        platform::kind_of(path.substr(0, at)) == platform::entry_kind::link)
      return true;
  }
  return false;
}

}  // namespace vantor
