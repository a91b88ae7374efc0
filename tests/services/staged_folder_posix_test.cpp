// Folder trees with symbolic links in them: removed without following a
// link (POSIX links).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "services/staged_folder.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::bytes_of;
using testing::exists;
using testing::file_bytes;
using testing::put_file;
using testing::put_folder;
using testing::temp_folder;

// A tree with a link to a folder outside it, and one to a file outside it.
void put_tree_with_links(const temp_folder& dir, const std::string& tree) {
  put_file(dir / "outside/keep.txt", bytes_of("keep"));
  put_file(dir / (tree + "/a/b/c.txt"), bytes_of("c"));
  put_file(dir / (tree + "/top.txt"), bytes_of("t"));
  fs::create_directory_symlink(dir / "outside", dir / (tree + "/a/to-folder"));
  fs::create_symlink(dir / "outside/keep.txt", dir / (tree + "/to-file"));
}

TEST(RemoveFolderTree, RemovesEverythingBelowAndFollowsNoLink) {
  temp_folder dir;
  put_tree_with_links(dir, "tree");
  ASSERT_TRUE(remove_folder_tree(dir / "tree").ok());
  EXPECT_FALSE(exists(dir / "tree"));
  EXPECT_EQ(file_bytes(dir / "outside/keep.txt"), bytes_of("keep"));
  EXPECT_TRUE(remove_folder_tree(dir / "tree").ok()) << "nothing there is success";

  // A link at the top is removed itself.
  fs::create_directory_symlink(dir / "outside", dir / "alias");
  ASSERT_TRUE(remove_folder_tree(dir / "alias").ok());
  EXPECT_FALSE(exists(dir / "alias"));
  EXPECT_EQ(file_bytes(dir / "outside/keep.txt"), bytes_of("keep"));
}

TEST(RemoveStaleTemporaryFolder, RemovesWhateverStandsAtItsNameAndNothingBeyond) {
  temp_folder dir;
  put_tree_with_links(dir, "pmodel.vantor-tmp");
  put_folder(dir / "pmodel");
  put_file(dir / "pmodel/P0.POS", bytes_of("pose"));
  remove_stale_temporary_folder(dir / "pmodel");
  EXPECT_FALSE(exists(dir / "pmodel.vantor-tmp"));
  EXPECT_EQ(file_bytes(dir / "pmodel/P0.POS"), bytes_of("pose"));
  EXPECT_EQ(file_bytes(dir / "outside/keep.txt"), bytes_of("keep"));

  // A link goes itself, never what it points at; a pipe goes without being
  // opened.
  fs::create_directory_symlink(dir / "outside", dir / "pmodel.vantor-tmp");
  EXPECT_TRUE(has_stale_temporary_folder(dir / "pmodel"));
  remove_stale_temporary_folder(dir / "pmodel");
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "pmodel.vantor-tmp")));
  EXPECT_EQ(file_bytes(dir / "outside/keep.txt"), bytes_of("keep"));

  ASSERT_EQ(::mkfifo((dir / "pmodel.vantor-tmp").c_str(), 0644), 0);
  EXPECT_TRUE(has_stale_temporary_folder(dir / "pmodel"));
  remove_stale_temporary_folder(dir / "pmodel");
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "pmodel.vantor-tmp")));
  EXPECT_EQ(file_bytes(dir / "pmodel/P0.POS"), bytes_of("pose"));
}

// Another program swaps the folder being built for a link to one outside:
// the commit sees that the name no longer leads to the folder it built and
// renames nothing into place.
TEST(StagedFolder, RefusesAFolderSwappedInBeforeItsCommit) {
  temp_folder dir;
  put_file(dir / "outside/keep.txt", bytes_of("keep"));
  auto staged = staged_folder::begin(dir / "pmodel");
  ASSERT_TRUE(staged.ok());
  ASSERT_TRUE(staged->put_file("P0.POS", bytes_of("pose")).ok());
  fs::rename(dir / "pmodel.vantor-tmp", dir / "moved-away");
  fs::create_directory_symlink(dir / "outside", dir / "pmodel.vantor-tmp");
  const status committed = staged->commit();
  ASSERT_FALSE(committed.ok());
  EXPECT_EQ(committed.error().kind, os_error::not_a_folder);
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "pmodel")));
  EXPECT_EQ(file_bytes(dir / "outside/keep.txt"), bytes_of("keep"));
}

}  // namespace
}  // namespace vantor
