// The letter-case lookup of the front door (platform/files.h): a path whose
// parts differ in ASCII letter case from the entries on disk finds them, as
// on Windows, whose folders ignore case themselves.

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/letter_case.h"
#include "platform/native.h"

namespace vantor::platform {

namespace {

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}

// The single entry of folder whose name equals part without regard to case.
std::optional<std::string> unique_case_match(const std::string& folder, std::string_view part) {
  std::optional<std::string> match;
  for (auto& name : list_folder(folder.empty() ? "." : folder)) {
    if (!equal_ignoring_ascii_case(name, part)) continue;
    if (match) return std::nullopt;  // ambiguous: the folder was made on a case-sensitive system
    match = std::move(name);
  }
  return match;
}

bool exists_exactly(const std::string& path) { return native::look_at(path).ok(); }

}  // namespace

std::string resolve_path(std::string_view path) {
  std::string exact(path);
  if (!native::names_keep_letter_case || exact.empty() || exists_exactly(exact)) return exact;
  return resolve_missing_path(path);
}

std::string resolve_missing_path(std::string_view path) {
  if (!native::names_keep_letter_case || path.empty()) return std::string(path);

  // Mostly only the last part is missing or differs in case: when the folder
  // holding it stands as asked for, the walk below would keep every other
  // part as it is, so one listing of that folder is all it takes.
  if (const auto last_separator = path.rfind(path_separator); last_separator != std::string_view::npos) {
    std::string folder(path.substr(0, last_separator));
    if (folder.empty() || exists_exactly(folder)) {  // empty: the root
      const auto last = path.substr(last_separator + 1);
      if (last.empty() || last == "." || last == "..") return std::string(path);
      folder += path_separator;
      if (auto match = unique_case_match(folder, last)) return folder + *match;
      return std::string(path);
    }
  }

  std::string resolved = path.front() == path_separator ? std::string(1, path_separator) : std::string();
  std::size_t position = resolved.size();
  bool resolving = true;
  while (true) {
    auto next = path.find(path_separator, position);
    if (next == std::string_view::npos) next = path.size();
    const auto part = path.substr(position, next - position);
    std::string candidate = resolved + std::string(part);
    if (resolving && !part.empty() && part != "." && part != ".." && !exists_exactly(candidate)) {
      if (auto match = unique_case_match(resolved, part))
        candidate = resolved + *match;
      else
        resolving = false;  // the rest does not exist; keep it as asked for
    }
    resolved = std::move(candidate);
    if (next == path.size()) break;
    resolved += path_separator;
    position = next + 1;
  }
  return resolved;
}

}  // namespace vantor::platform
