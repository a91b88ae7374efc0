// What an extraction leaves on Windows, seen through the wide calls: Chinese
// entry names become the right wide names on disk, a name that differs only
// in letter case from what is there lands in it, no read-only attribute
// comes from the archive, and a target folder given as a \\?\ path is made
// too.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>

#include "services/archive/archive.h"
#include "support/native_path.h"
#include "support/temp_folder.h"
#include "support/zip_fixture.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using namespace testing::fixture;
using testing::temp_folder;

// One entry on disk: a file's contents (none for a folder) and the
// attributes that matter here.
struct on_disk {
  std::string contents;
  bool read_only = false;
  bool hidden = false;
  bool operator==(const on_disk&) const = default;
  friend void PrintTo(const on_disk& entry, std::ostream* out) {
    *out << '"' << entry.contents << '"' << (entry.read_only ? " read-only" : "") << (entry.hidden ? " hidden" : "");
  }
};

// Everything below a folder by the wide names the system gives; folders end
// in "\".
using tree = std::map<std::wstring, on_disk>;

std::string contents_of(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void list_below(const std::wstring& folder, const std::wstring& prefix, tree& found) {
  WIN32_FIND_DATAW entry{};
  const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const bool read_only = (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    const bool hidden = (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      found[prefix + name + L"\\"] = on_disk{{}, read_only, hidden};
      list_below(folder + L"\\" + name, prefix + name + L"\\", found);
    } else {
      found[prefix + name] = on_disk{contents_of(folder + L"\\" + name), read_only, hidden};
    }
  } while (::FindNextFileW(search, &entry));
  ::FindClose(search);
}

tree tree_below(const std::wstring& folder) {
  tree found;
  list_below(folder, {}, found);
  return found;
}

void put_tree(const std::wstring& folder, const tree& entries) {
  fs::create_directories(fs::path(folder));
  for (const auto& [name, entry] : entries) {
    const std::wstring path = folder + L"\\" + name;
    if (name.ends_with(L"\\")) {
      fs::create_directories(fs::path(path));
      continue;
    }
    std::ofstream(fs::path(path), std::ios::binary) << entry.contents;
    if (entry.read_only) {
      ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
  }
}

// A path as the program takes it: UTF-8, with the backslashes kept.
std::string utf8_text(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

zip_item attributed(std::string name, std::string_view contents, std::uint32_t external) {
  zip_item item = file_item(std::move(name), contents);
  item.external = external;
  return item;
}

struct windows_case {
  const char* title = "";
  std::vector<zip_item> items{};
  tree before{};  // below the target folder, which then exists
  tree after{};
  const wchar_t* archive = L"pack.zip";
  const wchar_t* target = L"out";
  bool long_path_prefix = false;  // the target given as a \\?\ path
};

std::ostream& operator<<(std::ostream& out, const windows_case& row) { return out << row.title; }

class WindowsExtraction : public ::testing::TestWithParam<windows_case> {};

TEST_P(WindowsExtraction, LeavesTheTreeWindowsShows) {
  const auto& row = GetParam();
  temp_folder dir;
  const std::wstring root = testing::native_path(dir.path()).make_preferred().wstring();
  const std::wstring target = (row.long_path_prefix ? L"\\\\?\\" : L"") + root + L"\\" + row.target;
  const fs::path archive = fs::path(root) / row.archive;
  fs::create_directories(archive.parent_path());
  write_zip(utf8_text(archive), row.items);
  if (!row.before.empty()) put_tree(target, row.before);

  const status unpacked = unpack_archive(utf8_text(archive), utf8_text(target));
  ASSERT_TRUE(unpacked) << describe(unpacked.error(), {});
  EXPECT_EQ(tree_below(target), row.after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsExtraction,
    ::testing::Values(windows_case{.title = "ChineseNamesInUtf8",
                                   .items = {file_item("模型/动作.act", "act"), folder_item("贴图/")},
                                   .after = {{L"模型\\", {}}, {L"模型\\动作.act", {"act"}}, {L"贴图\\", {}}}},
                      // 模型/动作.act and 乗.txt in GBK, whose second byte is that of "\".
                      windows_case{.title = "ChineseNamesInGbk",
                                   .items = {file_item("\xC4\xA3\xD0\xCD/\xB6\xAF\xD7\xF7.act", "act"),
                                             file_item("\x81\x5C.txt", "x")},
                                   .after = {{L"乗.txt", {"x"}}, {L"模型\\", {}}, {L"模型\\动作.act", {"act"}}}},
                      windows_case{.title = "ChineseFolders",
                                   .items = {file_item("P0.POS", "pose")},
                                   .after = {{L"P0.POS", {"pose"}}},
                                   .archive = L"游戏\\pmodel.pak",
                                   .target = L"游戏\\pmodel.vantor-tmp"},
                      windows_case{.title = "TargetBehindTheLongPathPrefix",
                                   .items = {file_item("P0.POS", "pose")},
                                   .after = {{L"P0.POS", {"pose"}}},
                                   .target = L"deep\\er",
                                   .long_path_prefix = true},
                      windows_case{.title = "FolderThereInOtherCase",
                                   .items = {file_item("MESH/a.msh", "a"), folder_item("mesh/Sub/"),
                                             file_item("mesh/SUB/b.msh", "b")},
                                   .before = {{L"Mesh\\", {}}, {L"Mesh\\old.msh", {"old"}}},
                                   .after = {{L"Mesh\\", {}},
                                             {L"Mesh\\Sub\\", {}},
                                             {L"Mesh\\Sub\\b.msh", {"b"}},
                                             {L"Mesh\\a.msh", {"a"}},
                                             {L"Mesh\\old.msh", {"old"}}}},
                      windows_case{.title = "FileThereInOtherCase",
                                   .items = {file_item("p0.pos", "new")},
                                   .before = {{L"P0.POS", {"old"}}},
                                   .after = {{L"P0.POS", {"new"}}}},
                      windows_case{.title = "ReadOnlyInTheArchive",
                                   .items = {attributed("dos.txt", "d", dos_readonly | dos_hidden),
                                             attributed("unix.txt", "u", unix_mode(0100444)),
                                             attributed("plain-dos.txt", "p", 0)},
                                   .after = {{L"dos.txt", {"d"}}, {L"plain-dos.txt", {"p"}}, {L"unix.txt", {"u"}}}},
                      windows_case{.title = "ReadOnlyFileThere",
                                   .items = {file_item("a.txt", "new")},
                                   .before = {{L"A.TXT", {"old", true}}},
                                   .after = {{L"A.TXT", {"new"}}}}),
    [](const ::testing::TestParamInfo<windows_case>& row) { return std::string(row.param.title); });

}  // namespace
}  // namespace vantor
