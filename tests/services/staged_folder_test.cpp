// A new folder built beside its target and put in place by one rename, and
// the removal of folder trees.

#include "services/staged_folder.h"
#include "platform/system_error.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fault_injector.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::bytes_of;
using testing::exists;
using testing::fault_injector;
using testing::file_bytes;
using testing::put_file;
using testing::put_folder;
using testing::temp_folder;

// A staged folder at dir/pmodel holding a.txt and sub/b.txt.
staged_folder built(const temp_folder& dir) {
  auto staged = staged_folder::begin(dir / "pmodel");
  EXPECT_TRUE(staged.ok());
  EXPECT_TRUE(fs::is_empty(testing::native_path(staged->temporary_path()))) << "begin makes the folder new and empty";
  put_file(staged->temporary_path() + "/a.txt", bytes_of("a"));
  put_file(staged->temporary_path() + "/sub/b.txt", bytes_of("b"));
  return std::move(*staged);
}

TEST(StagedFolder, GoesInPlaceWholeWithItsFiles) {
  temp_folder dir;
  staged_folder staged = built(dir);
  EXPECT_EQ(staged.temporary_path(), dir / "pmodel.vantor-tmp");
  put_file(staged.temporary_path() + "/p0.pos", bytes_of("packaged"));
  ASSERT_TRUE(staged.put_file("P0.POS", bytes_of("new pose")).ok());
  ASSERT_TRUE(staged.flush().ok());
  ASSERT_TRUE(staged.commit().ok());
  EXPECT_TRUE(staged.in_place());
  EXPECT_EQ(file_bytes(dir / "pmodel/sub/b.txt"), bytes_of("b"));
  EXPECT_EQ(file_bytes(dir / "pmodel/p0.pos"), bytes_of("new pose"));
  int poses = 0;  // one file, whatever its letter case
  for (const auto& entry : fs::directory_iterator(testing::native_path(dir / "pmodel")))
    poses +=
        testing::utf8_of(entry.path().filename()) == "p0.pos" || testing::utf8_of(entry.path().filename()) == "P0.POS";
  EXPECT_EQ(poses, 1);
  EXPECT_FALSE(exists(dir / "pmodel.vantor-tmp"));
}

TEST(StagedFolder, WithdrawTakesItAwayAgain) {
  temp_folder dir;
  staged_folder staged = built(dir);
  ASSERT_TRUE(staged.commit().ok());
  ASSERT_TRUE(staged.withdraw().ok());
  EXPECT_FALSE(exists(dir / "pmodel"));
  EXPECT_FALSE(exists(dir / "pmodel.vantor-tmp"));
}

TEST(StagedFolder, IsNeverHalfInPlace) {
  temp_folder dir;
  {
    staged_folder staged = built(dir);
    fault_injector fault(fault_injector::on(platform::operation::rename));
    EXPECT_EQ(staged.commit().error().kind, os_error::io_error);
    EXPECT_FALSE(staged.in_place());
  }
  EXPECT_FALSE(exists(dir / "pmodel"));
  EXPECT_FALSE(exists(dir / "pmodel.vantor-tmp"));

  staged_folder staged = built(dir);
  ASSERT_TRUE(staged.commit().ok());
  {
    // The rename back fails: the folder stays where it is, whole.
    fault_injector fault(fault_injector::on(platform::operation::rename));
    EXPECT_FALSE(staged.withdraw().ok());
  }
  EXPECT_EQ(file_bytes(dir / "pmodel/sub/b.txt"), bytes_of("b"));
  EXPECT_FALSE(exists(dir / "pmodel.vantor-tmp"));
}

TEST(StagedFolder, DestroyedBeforeTheCommitLeavesNothing) {
  temp_folder dir;
  { staged_folder staged = built(dir); }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(StagedFolder, NeedsAFreeTargetAndClearsALeftover) {
  temp_folder dir;
  put_folder(dir / "PMODEL");
  EXPECT_EQ(staged_folder::begin(dir / "pmodel").error().kind, os_error::exists);
  fs::remove(dir / "PMODEL");

  put_file(dir / "pmodel.vantor-tmp/deep/er/half.bin", bytes_of("half"));
  auto staged = staged_folder::begin(dir / "pmodel");
  ASSERT_TRUE(staged.ok());
  EXPECT_TRUE(fs::is_empty(testing::native_path(dir / "pmodel.vantor-tmp")));
}

TEST(RemoveFolderTree, TriesTheRestAfterAFailure) {
  temp_folder dir;
  put_file(dir / "tree/a/one.txt", bytes_of("1"));
  put_file(dir / "tree/b/two.txt", bytes_of("2"));
  {
    fault_injector fault(fault_injector::on(platform::operation::remove, "one.txt"));
    EXPECT_EQ(remove_folder_tree(dir / "tree").error().kind, os_error::io_error);
  }
  EXPECT_TRUE(exists(dir / "tree/a/one.txt"));
  EXPECT_FALSE(exists(dir / "tree/b"));
}

}  // namespace
}  // namespace vantor
