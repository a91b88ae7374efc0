#pragma once
// What the property-checking harnesses share: a check that stops the run
// with its name, and a folder for the files an execution writes.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace vantor::fuzzing {

/// Stops the run (a crash libFuzzer keeps the input of) when a property is broken.
inline void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

/// A new folder for one harness's files: in memory (/dev/shm) where the
/// system has it, so an execution costs no disk write.
inline std::filesystem::path work_folder(std::string_view name) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  const fs::path shm = "/dev/shm";
  const fs::path base = fs::is_directory(shm, ignored) ? shm : fs::temp_directory_path();
  std::string pattern = (base / ("vantor-fuzz-" + std::string(name) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  return fs::path(pattern);
}

}  // namespace vantor::fuzzing
