// Paths for extraction meeting symbolic links and pipes (POSIX file kinds).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "services/archive/archive_paths.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::put_folder;
using testing::temp_folder;

TEST(PathExists, CountsLinksWhereverTheyLeadAndPipes) {
  temp_folder dir;
  put_folder(dir / "d");
  std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
  std::filesystem::create_directory_symlink(dir / "d", dir / "to-folder");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  EXPECT_TRUE(path_exists(dir / "dangling"));
  EXPECT_TRUE(path_exists(dir / "to-folder"));
  EXPECT_TRUE(path_exists(dir / "pipe"));
}

TEST(CreateFolderPath, FailsWhereADanglingLinkStandsInTheWay) {
  temp_folder dir;
  std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
  EXPECT_FALSE(create_folder_path(dir / "dangling/inside"));
  EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
}

}  // namespace
}  // namespace vantor
