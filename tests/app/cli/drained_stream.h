#pragma once
// What a command wrote to a temporary stream, read back whole.

#include <cstdio>
#include <string>

namespace vantor::testing {

/// Everything written to a std::tmpfile() stream; closes it.
inline std::string drain(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[4096];
  while (const auto got = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, got);
  std::fclose(file);
  return text;
}

}  // namespace vantor::testing
