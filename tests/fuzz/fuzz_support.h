#pragma once
// What the property-checking harnesses share: a check that stops the run
// with its name, and the files an execution writes and reads. The fuzzing
// build keeps files and folders in memory (platform/memory_files.h), so the
// harnesses make and look at them through the platform layer, as the
// program does, and an execution costs no disk write.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/memory_files.h"
#include "services/bytes.h"

namespace vantor::fuzzing {

/// Stops the run (a crash libFuzzer keeps the input of) when a property is broken.
inline void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

/// A new, empty folder for one harness's files, below the root.
inline std::string work_folder(std::string_view name) {
  std::string path = "/";
  path += name;
  (void)platform::remove_entry(path);
  check(platform::create_folder(path, platform::path_lookup::exact).ok(), "the work folder could not be made");
  return path;
}

/// Makes a folder and the folders above it that are missing.
inline void put_folders(const std::string& path) {
  if (path.empty()) return;
  const status made = platform::create_folder(path, platform::path_lookup::exact);
  if (made || made.error().kind == os_error::exists) return;
  put_folders(platform::parent_folder(path));
  check(platform::create_folder(path, platform::path_lookup::exact).ok(), "a folder could not be made");
}

/// Writes a file whole (its folders made first), replacing what was there.
inline void put_file(const std::string& path, const void* data, std::size_t size) {
  auto out = platform::open_file(path, platform::open_mode::replace, platform::path_lookup::exact);
  if (!out && out.error().kind == os_error::not_found) {
    put_folders(platform::parent_folder(path));
    out = platform::open_file(path, platform::open_mode::replace, platform::path_lookup::exact);
  }
  check(out.ok() && out->write(data, size).ok() && out->close().ok(), "a file could not be written");
}

inline void put_file(const std::string& path, std::string_view text) { put_file(path, text.data(), text.size()); }

/// A file's bytes, read whole.
inline byte_string file_bytes(const std::string& path) {
  auto in = platform::open_file(path, platform::open_mode::read, platform::path_lookup::exact);
  check(in.ok(), "a file could not be opened");
  byte_string bytes;
  std::uint8_t buffer[4096];
  while (true) {
    const auto got = in->read(buffer, sizeof buffer);
    check(got.ok(), "a file could not be read");
    if (*got == 0) return bytes;
    bytes.insert(bytes.end(), buffer, buffer + *got);
  }
}

}  // namespace vantor::fuzzing
