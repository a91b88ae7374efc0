#pragma once
// The table of unpack_archive cases, shared by the cases every system has
// (archive_extract_test.cpp, which holds the test itself) and those with
// POSIX file kinds (archive_extract_posix_test.cpp).
//
// Every case works in a fresh folder holding the archive pack.zip, the
// target folder out, and a sentinel file evil beside it that no entry may
// ever reach.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/system_error.h"
#include "services/archive/archive_error.h"
#include "support/fault_injector.h"
#include "support/native_path.h"
#include "support/temp_folder.h"
#include "support/zip_damage.h"
#include "support/zip_fixture.h"
#include "support/zip_shape.h"

namespace vantor::archive_test {

using patch = testing::fixture::zip_patch;
using arrangement = std::function<void(const testing::temp_folder&)>;

inline const std::string sentinel_text = "sentinel: nothing may change me";

// Everything below the folder, except the archive and the sentinel, with
// "/" separators: folders end in "/", symbolic links in "@", anything else
// that is not a plain file (a pipe) in "|".
inline std::vector<std::string> listing(const testing::temp_folder& dir) {
  namespace fs = std::filesystem;
  const fs::path root = testing::native_path(dir.path());
  std::vector<std::string> names;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    std::string name = testing::utf8_of(it->path().lexically_relative(root));
    if (name == "pack.zip" || name == "evil") continue;
    if (it->is_symlink())
      name += "@";
    else if (it->is_directory())
      name += "/";
    else if (!it->is_regular_file())
      name += "|";
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct extraction_case {
  const char* title = "";
  std::vector<zip_item> items{};             // written to pack.zip unless empty
  patch damage{};                            // applied to the written archive
  patch shape{};                             // applied after the damage: see zip_shape.h
  arrangement arrange{};                     // what stands on disk before
  std::optional<failure_kind> fails_with{};  // none: every entry extracted
  std::vector<std::string> listing{};        // afterwards, see listing()
  const char* archive = "pack.zip";          // "" passes an empty path
  const char* target = "out";
  std::function<std::unique_ptr<testing::fault_injector>()> fault{};
  arrangement verify{};  // further checks afterwards
};

inline std::ostream& operator<<(std::ostream& out, const extraction_case& row) { return out << row.title; }

class Extraction : public ::testing::TestWithParam<extraction_case> {};

inline std::string title_of(const ::testing::TestParamInfo<extraction_case>& row) { return row.param.title; }

// Entries and listings several cases share.
inline const zip_item alpha = file_item("a.txt", "alpha");
inline zip_item named(std::string name) { return file_item(std::move(name), "owned"); }
inline const std::vector<std::string> only_target = {"out/"};
inline const std::vector<std::string> first_entry_only = {"out/", "out/a.txt"};

}  // namespace vantor::archive_test
