// The platform layer's calls that behave alike on every system.

#include <gtest/gtest.h>

#include <chrono>

#include "platform/files.h"
#include "support/fault_injector.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::temp_folder;

TEST(FolderLock, IsExclusiveUntilLetGoAndLeavesNothingBehind) {
  temp_folder dir;
  {
    auto held = platform::lock_folder(dir.path(), std::chrono::milliseconds(0));
    ASSERT_TRUE(held.ok());
    const auto second = platform::lock_folder(dir.path(), std::chrono::milliseconds(50));
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error().kind, os_error::busy);
  }
  EXPECT_TRUE(platform::list_folder(dir.path()).empty());
  EXPECT_TRUE(platform::lock_folder(dir.path(), std::chrono::milliseconds(0)).ok());
}

// One refused entry does not stop the removal of the rest; the first
// failure is the answer and the folders on its way stay.
TEST(RemoveEntry, TriesEverythingAndGivesTheFirstFailure) {
  temp_folder dir;
  testing::put_file(dir / "tree/kept.txt", testing::bytes_of("kept"));
  testing::put_file(dir / "tree/sub/gone.txt", testing::bytes_of("gone"));
  testing::put_file(dir / "tree/zzz.txt", testing::bytes_of("gone"));
  status removed;
  {
    testing::fault_injector refuse(testing::fault_injector::on(platform::operation::remove, "kept.txt"), 1, false,
                                   os_error::in_use);
    removed = platform::remove_entry(dir / "tree");
  }
  ASSERT_FALSE(removed.ok());
  EXPECT_EQ(removed.error().kind, os_error::in_use);
  EXPECT_TRUE(testing::exists(dir / "tree/kept.txt"));
  EXPECT_FALSE(testing::exists(dir / "tree/sub"));
  EXPECT_FALSE(testing::exists(dir / "tree/zzz.txt"));
  EXPECT_TRUE(platform::remove_entry(dir / "tree").ok());
  EXPECT_EQ(platform::kind_of(dir / "tree"), platform::entry_kind::none);
}

}  // namespace
}  // namespace vantor
