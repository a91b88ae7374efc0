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
#include <utility>

#include "platform/files.h"
#include "platform/memory_files.h"
#include "services/bytes.h"
#include "services/files.h"

namespace vantor::fuzzing {

/// Stops the run (a crash libFuzzer keeps the input of) when a property is broken.
inline void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

/// Makes a folder in a folder that exists.
inline void put_folder(const std::string& path) {
  check(platform::create_folder(path, platform::path_lookup::exact).ok(), "a folder could not be made");
}

/// A new, empty folder for one harness's files, below the root.
inline std::string work_folder(std::string_view name) {
  std::string path = "/";
  path += name;
  (void)platform::remove_entry(path);
  put_folder(path);
  return path;
}

/// Writes a file whole in a folder that exists, replacing what was there.
inline void put_file(const std::string& path, const void* data, std::size_t size) {
  auto out = platform::open_file(path, platform::open_mode::replace, platform::path_lookup::exact);
  check(out.ok() && out->write(data, size).ok() && out->close().ok(), "a file could not be written");
}

inline void put_file(const std::string& path, std::string_view text) { put_file(path, text.data(), text.size()); }

/// A file's bytes, read whole.
inline byte_string file_bytes(const std::string& path) {
  auto bytes = read_whole_file(path);
  check(bytes.ok(), "a file could not be read");
  return std::move(*bytes);
}

}  // namespace vantor::fuzzing
