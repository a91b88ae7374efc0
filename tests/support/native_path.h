#pragma once
// Test paths are UTF-8 texts, as the program's are; the standard library
// takes them as paths through these, so Chinese names survive on Windows too
// (where a plain std::string path would go through the ANSI code page).

#include <filesystem>
#include <string>
#include <string_view>

namespace vantor::testing {

inline std::filesystem::path native_path(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8_of(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

/// The path with forward slashes only: the program's separators may differ
/// from the test's (backslashes on Windows).
inline std::string generic_path(std::string_view path) {
  std::string text(path);
  for (char& c : text)
    if (c == '\\') c = '/';
  return text;
}

}  // namespace vantor::testing
