// A game folder copied from Windows onto a file system that keeps letter
// case: files are found whatever their case, and never doubled.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::file_bytes;
namespace fs = std::filesystem;

std::vector<std::string> click_upgrade(const testing::game_folder& game) {
  return testing::click(game, testing::command::upgrade);
}

using testing::stock;

TEST(Upgrade, FindsFilesWhoseLetterCaseDiffers) {
  testing::game_folder game;
  fs::rename(testing::native_path(game.path("Common")), testing::native_path(game.path("common")));
  fs::rename(testing::native_path(game.path("pmodel/P0.POS")), testing::native_path(game.path("pmodel/p0.pos")));
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(file_bytes(game.path("pmodel/p0.pos")), game.pose_update);
  EXPECT_FALSE(fs::exists(testing::native_path(game.path("pmodel/P0.POS"))));
  EXPECT_FALSE(fs::exists(testing::native_path(game.path("Common"))));
  EXPECT_EQ(file_bytes(game.path("common/原始动画备份.amb")), stock());
}

}  // namespace
}  // namespace vantor
