#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

#include "platform/desktop.h"
#include "platform/fault_hook.h"
#include "platform/files.h"
#include "support/fault_injector.h"
#include "support/listing_counter.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::listing_counter;
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

TEST(ResolvePath, NamesBesideAnExactFolder) {
  temp_folder dir;
  put_file(dir / "Common/character.amb", bytes_of("x"));
  put_file(dir / "Twice/a.txt", bytes_of("a"));
  put_file(dir / "Twice/A.TXT", bytes_of("A"));
  const std::pair<const char*, const char*> cases[] = {
      {"Common/CHARACTER.amb", "Common/character.amb"},          // only the last part differs
      {"Common/character.amb.tmp", "Common/character.amb.tmp"},  // missing: as asked for
      {"Twice/a.Txt", "Twice/a.Txt"},                            // two matches: as asked for
      {"Common/character.amb/x", "Common/character.amb/x"},      // below a file
      {"Common/", "Common/"},
      {"COMMON/..", "Common/.."},
      {"Common//CHARACTER.AMB", "Common//character.amb"},
  };
  for (const auto& [asked, resolved] : cases) EXPECT_EQ(platform::resolve_path(dir / asked), dir / resolved) << asked;
  EXPECT_EQ(platform::kind_of(dir / "COMMON/Character.AMB"), platform::entry_kind::file);
  EXPECT_EQ(platform::kind_of(dir / "COMMON/Character.AMB", platform::path_lookup::exact), platform::entry_kind::none);
  EXPECT_EQ(platform::kind_of(dir / "Common/character.amb", platform::path_lookup::exact), platform::entry_kind::file);
}

TEST(PlatformFiles, WritingModesDoNotFollowLinks) {
  temp_folder dir;
  put_file(dir / "outside.txt", bytes_of("keep"));
  ASSERT_EQ(::symlink((dir / "outside.txt").c_str(), (dir / "link").c_str()), 0);
  const std::pair<platform::open_mode, failure_kind> refusals[] = {
      {platform::open_mode::replace, os_error::not_a_file},
      {platform::open_mode::write_existing, os_error::not_a_file},
      {platform::open_mode::create_new, os_error::exists}};
  for (const auto& [mode, kind] : refusals) {
    const auto opened = platform::open_file(dir / "link", mode);
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error().kind, kind);
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
}

TEST(NewFolderTrees, ExactCallsTakeThePathAsGivenAndListNothing) {
  temp_folder dir;
  put_file(dir / "Mesh.txt", bytes_of("old"));
  put_file(dir / "outside.txt", bytes_of("keep"));
  ASSERT_EQ(::symlink((dir / "outside.txt").c_str(), (dir / "link").c_str()), 0);
  listing_counter counter;

  // A name that differs in letter case is another name here.
  auto made = platform::open_file(dir / "mesh.txt", platform::open_mode::create_new, platform::path_lookup::exact);
  ASSERT_TRUE(made.ok());
  ASSERT_TRUE(made->write("new", 3).ok());
  ASSERT_TRUE(made->close().ok());
  EXPECT_TRUE(platform::create_folder(dir / "sub", platform::path_lookup::exact).ok());
  EXPECT_EQ(counter.listings, 0);
  EXPECT_EQ(testing::file_bytes(dir / "Mesh.txt"), bytes_of("old"));
  EXPECT_EQ(testing::file_bytes(dir / "mesh.txt"), bytes_of("new"));

  // Nothing that stands at the path is opened, followed or replaced.
  for (const char* taken : {"mesh.txt", "link", "sub"}) {
    const auto again = platform::open_file(dir / taken, platform::open_mode::create_new, platform::path_lookup::exact);
    ASSERT_FALSE(again.ok()) << taken;
    EXPECT_EQ(again.error().kind, os_error::exists) << taken;
    EXPECT_EQ(platform::create_folder(dir / taken, platform::path_lookup::exact).error().kind, os_error::exists)
        << taken;
  }
  EXPECT_EQ(testing::file_bytes(dir / "outside.txt"), bytes_of("keep"));
  EXPECT_EQ(platform::create_folder(dir / "missing/sub", platform::path_lookup::exact).error().kind,
            os_error::not_found);

  // The letter-case lookup lists a folder for a name that is not there.
  (void)platform::resolve_path(dir / "MISSING.txt");
  EXPECT_GT(counter.listings, 0);
}

TEST(NewFolderTrees, RemoveFolderTakesOnlyEmptyFoldersAndNoLinks) {
  temp_folder dir;
  testing::put_folder(dir / "empty");
  put_file(dir / "full/f", bytes_of("f"));
  ASSERT_EQ(::symlink((dir / "empty").c_str(), (dir / "link").c_str()), 0);
  EXPECT_FALSE(platform::remove_folder(dir / "full").ok());
  EXPECT_FALSE(platform::remove_folder(dir / "link").ok());
  EXPECT_TRUE(testing::exists(dir / "empty"));
  EXPECT_TRUE(platform::remove_folder(dir / "empty").ok());
  EXPECT_FALSE(testing::exists(dir / "empty"));
  EXPECT_EQ(platform::remove_folder(dir / "empty").error().kind, os_error::not_found);
}

TEST(NewFolderTrees, FlushTreeAndFreeSpaceSayWhyTheyFail) {
  temp_folder dir;
  put_file(dir / "tree/a/b", bytes_of("b"));
  EXPECT_TRUE(platform::flush_tree(dir / "tree").ok());
  EXPECT_EQ(platform::flush_tree(dir / "missing").error().kind, os_error::not_found);
  const auto space = platform::free_space(dir / "tree");
  ASSERT_TRUE(space.ok());
  EXPECT_GT(*space, 0u);
  EXPECT_EQ(platform::free_space(dir / "missing").error().kind, os_error::not_found);

  testing::fault_injector fault(testing::fault_injector::any(), 1, false, os_error::io_error);
  EXPECT_EQ(platform::flush_tree(dir / "tree").error().kind, os_error::io_error);
  EXPECT_EQ(platform::free_space(dir / "tree").error().kind, os_error::io_error);
  EXPECT_EQ(platform::create_folder(dir / "new", platform::path_lookup::exact).error().kind, os_error::io_error);
  EXPECT_EQ(
      platform::open_file(dir / "new.txt", platform::open_mode::create_new, platform::path_lookup::exact).error().kind,
      os_error::io_error);
  EXPECT_FALSE(testing::exists(dir / "new"));
  EXPECT_FALSE(testing::exists(dir / "new.txt"));
}

// Runs with PATH naming only one folder, so the desktop's opener found there
// is a stand-in that writes down what it was asked to open.
class OpenAddress : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", bin.path().c_str(), 1);
  }
  void TearDown() override { ::setenv("PATH", saved_path_.c_str(), 1); }
  void install_opener() {
    put_file(bin / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"" + (bin / "opened") + "\"\n");
    ASSERT_EQ(::chmod((bin / "xdg-open").c_str(), 0755), 0);
  }
  temp_folder bin;

 private:
  std::string saved_path_;
};

TEST_F(OpenAddress, HandsTheAddressToTheDesktopsOpener) {
  install_opener();
  ASSERT_TRUE(platform::open_address("https://orlo.example.com/vantor/").ok());
  // The opener runs detached; give it a moment to write.
  for (int i = 0; i < 200 && !testing::exists(bin / "opened"); ++i) ::usleep(10000);
  ::usleep(20000);
  EXPECT_EQ(testing::file_bytes(bin / "opened"), bytes_of("https://orlo.example.com/vantor/"));
}

TEST_F(OpenAddress, SaysSoWhenThereIsNoOpener) {
  const status opened = platform::open_address("https://orlo.example.com/vantor/");
  ASSERT_FALSE(opened.ok());
  EXPECT_EQ(opened.error().kind, os_error::not_found);
  EXPECT_FALSE(platform::open_address("").ok());
}

TEST(PlatformFiles, OnlyRegularFilesAreOpenedAndNothingWaitsForAPipe) {
  temp_folder dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  ASSERT_EQ(::symlink((dir / "pipe").c_str(), (dir / "link").c_str()), 0);
  for (const char* name : {"pipe", "link"}) {
    for (auto mode : {platform::open_mode::read, platform::open_mode::write_existing, platform::open_mode::replace}) {
      const auto opened = platform::open_file(dir / name, mode);
      ASSERT_FALSE(opened.ok()) << name;
      EXPECT_TRUE(opened.error().kind == os_error::not_a_file) << name;
    }
  }
  EXPECT_EQ(platform::kind_of(dir / "pipe"), platform::entry_kind::other);
}

TEST(PlatformFiles, RemoveEntryTakesAnythingWithoutFollowingLinks) {
  temp_folder dir;
  put_file(dir / "keep/file", bytes_of("keep"));
  put_file(dir / "tree/a/b", bytes_of("b"));
  ASSERT_EQ(::symlink((dir / "keep").c_str(), (dir / "tree/a/link").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "tree/pipe").c_str(), 0644), 0);
  EXPECT_TRUE(platform::remove_entry(dir / "tree").ok());
  EXPECT_EQ(platform::kind_of(dir / "tree"), platform::entry_kind::none);
  EXPECT_EQ(testing::file_bytes(dir / "keep/file"), bytes_of("keep"));
}

TEST(PlatformFiles, AFolderThatCannotBeOpenedForFlushingCountsAsFlushed) {
  temp_folder dir;
  EXPECT_TRUE(platform::flush_folder(dir.path()).ok());
  // The way a folder without read permission answers, as a normal user.
  EXPECT_TRUE(platform::flush_folder(dir / "no-such-folder").ok());
}

TEST(PlatformFiles, CheckFolderSaysWhyAPathIsNoFolder) {
  temp_folder dir;
  put_file(dir / "file", bytes_of("x"));
  EXPECT_TRUE(platform::check_folder(dir.path()).ok());
  EXPECT_EQ(platform::check_folder(dir / "file").error().kind, os_error::not_a_folder);
  EXPECT_EQ(platform::check_folder(dir / "missing").error().kind, os_error::not_found);
  EXPECT_EQ(platform::check_folder("/" + std::string(5000, 'a')).error().kind, os_error::name_refused);
}

}  // namespace
}  // namespace vantor
