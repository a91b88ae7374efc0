#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/platform.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::put_file;
using testing::temp_folder;

TEST(ResolvePath, KeepsExactPathsAndFixesLetterCase) {
  temp_folder dir;
  put_file(dir / "Common/character.amb", bytes_of("x"));
  EXPECT_EQ(platform::resolve_path(dir / "Common/character.amb"), dir / "Common/character.amb");
  EXPECT_EQ(platform::resolve_path(dir / "COMMON/Character.AMB"), dir / "Common/character.amb");
  // A missing last part keeps the name asked for, under the resolved folder.
  EXPECT_EQ(platform::resolve_path(dir / "common/原始动画备份.amb"), dir / "Common/原始动画备份.amb");
  // A missing folder ends the resolution.
  EXPECT_EQ(platform::resolve_path(dir / "nowhere/Common"), dir / "nowhere/Common");
}

TEST(PlatformFiles, WritingModesDoNotFollowLinks) {
  temp_folder dir;
  put_file(dir / "outside.txt", bytes_of("keep"));
  ASSERT_EQ(::symlink((dir / "outside.txt").c_str(), (dir / "link").c_str()), 0);
  for (auto mode : {platform::open_mode::replace, platform::open_mode::create_new, platform::open_mode::write_existing}) {
    EXPECT_FALSE(platform::open_file(dir / "link", mode).is_open());
  }
  EXPECT_EQ(testing::file_bytes(dir / "outside.txt"), bytes_of("keep"));
  EXPECT_EQ(platform::kind_of(dir / "link"), platform::entry_kind::link);
}

TEST(PlatformFiles, PathHelpers) {
  EXPECT_EQ(platform::join_path("/a", "b"), "/a/b");
  EXPECT_EQ(platform::join_path("/a/", "b"), "/a/b");
  EXPECT_EQ(platform::parent_folder("/a/b"), "/a");
  EXPECT_EQ(platform::parent_folder("/a"), "/");
  EXPECT_EQ(platform::parent_folder("a"), "");
  EXPECT_EQ(platform::file_name("/a/b.txt"), "b.txt");
}

TEST(StartProgram, ReportsWhetherTheProgramStarted) {
  EXPECT_TRUE(platform::start_program("true"));
  EXPECT_FALSE(platform::start_program("vantor-no-such-program-anywhere --x"));
  EXPECT_FALSE(platform::start_program("   "));
}

}  // namespace
}  // namespace vantor
