// The platform layer's calls that behave alike on every system.

#include <gtest/gtest.h>

#include <chrono>

#include "platform/files.h"
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

}  // namespace
}  // namespace vantor
