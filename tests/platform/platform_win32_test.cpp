// The Win32 platform layer: wide names, share modes, replacement while
// another program holds the target, the lock file, text decoding.

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::put_file;
using testing::temp_folder;

TEST(Win32Files, ChineseNamesRoundTrip) {
  temp_folder dir;
  const std::string path = dir / "原始动画备份.amb";
  {
    auto out = platform::open_file(path, platform::open_mode::create_new);
    ASSERT_TRUE(out.ok());
    ASSERT_TRUE(out->write("stock", 5).ok());
    ASSERT_TRUE(out->close().ok());
  }
  EXPECT_EQ(testing::file_bytes(path), bytes_of("stock"));
  const auto names = platform::list_folder(dir.path());
  EXPECT_EQ(names, std::vector<std::string>{"原始动画备份.amb"});
}

TEST(Win32Files, ReadingLetsOthersReadButNotWrite) {
  temp_folder dir;
  put_file(dir / "bundle", bytes_of("bytes"));
  auto reading = platform::open_file(dir / "bundle", platform::open_mode::read);
  ASSERT_TRUE(reading.ok());
  EXPECT_TRUE(platform::open_file(dir / "bundle", platform::open_mode::read).ok());
  const auto writing = platform::open_file(dir / "bundle", platform::open_mode::write_existing);
  ASSERT_FALSE(writing.ok());
  EXPECT_EQ(writing.error().kind, os_error::in_use);
}

TEST(Win32Files, ReplacingAFileAnotherProgramHoldsGivesUpAsInUse) {
  temp_folder dir;
  put_file(dir / "target", bytes_of("old"));
  put_file(dir / "new", bytes_of("new"));
  const HANDLE held = ::CreateFileW(testing::native_path(dir / "target").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const status replaced = platform::rename_over(dir / "new", dir / "target");
  ::CloseHandle(held);
  ASSERT_FALSE(replaced.ok());
  EXPECT_EQ(replaced.error().kind, os_error::in_use);
  EXPECT_EQ(testing::file_bytes(dir / "target"), bytes_of("old")) << "the target was never deleted first";
  EXPECT_TRUE(platform::rename_over(dir / "new", dir / "target").ok());
  EXPECT_EQ(testing::file_bytes(dir / "target"), bytes_of("new"));
}

TEST(Win32Files, AFolderIsNotAFile) {
  temp_folder dir;
  testing::put_folder(dir / "folder");
  const auto opened = platform::open_file(dir / "folder", platform::open_mode::read);
  ASSERT_FALSE(opened.ok());
  EXPECT_EQ(opened.error().kind, os_error::not_a_file);
  EXPECT_EQ(platform::kind_of(dir / "folder"), platform::entry_kind::folder);
  EXPECT_TRUE(platform::check_folder(dir / "folder").ok());
}

// The read-only mark keeps DeleteFile away; a whole removal clears it first.
TEST(Win32Files, RemovingATreeTakesReadOnlyFilesToo) {
  temp_folder dir;
  put_file(dir / "tree/sub/locked.bin", bytes_of("locked"));
  ASSERT_TRUE(platform::set_writable(dir / "tree/sub/locked.bin", false).ok());
  EXPECT_TRUE(platform::remove_entry(dir / "tree").ok());
  EXPECT_EQ(platform::kind_of(dir / "tree"), platform::entry_kind::none);
}

TEST(Win32Texts, GbkDecodesAndBrokenBytesBecomeReplacementCharacters) {
  EXPECT_EQ(platform::decode_gb18030("v0.5\xCB\xB5\xC3\xF7"), "v0.5说明");
  EXPECT_EQ(platform::decode_gb18030("a\x81"), "a\xEF\xBF\xBD");
  EXPECT_EQ(platform::decode_gb18030("\xFF"
                                     "b"),
            "\xEF\xBF\xBD"
            "b");
}

TEST(Win32Paths, TheRunFolderHasNoTrailingSeparator) {
  const std::string folder = platform::executable_folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(platform::check_folder(folder).ok());
}

}  // namespace
}  // namespace vantor
