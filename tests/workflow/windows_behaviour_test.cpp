// What is particular to Windows: the game holding its bundle open, Chinese
// and very long game folder paths, folders that ignore letter case.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "platform/system_error.h"
#include "support/fake_ports.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::file_bytes;
namespace fs = std::filesystem;

void expect_upgraded(const testing::game_folder& game) {
  EXPECT_EQ(file_bytes(game.bundle()),
            testing::upgraded_bundle(testing::small_stock().bundle, game.new_frames, game.new_count));
  EXPECT_EQ(file_bytes(game.backup()), testing::small_stock().bundle);
  EXPECT_EQ(file_bytes(game.pose()), game.pose_update);
}

// The game keeps its bundle open, sharing it for reading only, as a running
// game does.
class held_open {
 public:
  explicit held_open(const std::string& path)
      : handle_(::CreateFileW(testing::native_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~held_open() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

TEST(WindowsGame, ABundleTheGameHoldsOpenFailsTheUpgradeCleanly) {
  testing::game_folder game;
  const auto before = game.snapshot();
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  {
    held_open game_running(game.bundle());
    ASSERT_TRUE(game_running.ok());
    EXPECT_FALSE(session.on_upgrade_clicked());
    EXPECT_EQ(fake.messages, std::vector<std::string>{texts::not_upgraded});
    ASSERT_FALSE(session.reasons().empty());
    EXPECT_EQ(session.reasons().back().kind, os_error::in_use);
    EXPECT_EQ(describe(session.reasons().back(), game.root()), "Common\\character.amb is in use by another program");
  }
  auto after = game.snapshot();
  EXPECT_EQ(after, before);
  EXPECT_EQ(file_bytes(game.bundle()), testing::small_stock().bundle);
  fake.messages.clear();
  EXPECT_TRUE(session.on_upgrade_clicked()) << "once the game has let go";
  expect_upgraded(game);
}

struct folder_case {
  const char* name;
  std::string inside;
  friend void PrintTo(const folder_case& c, std::ostream* os) { *os << c.name; }
};

class GameFolderPath : public ::testing::TestWithParam<folder_case> {};

TEST_P(GameFolderPath, UpgradesAndRestores) {
  testing::game_folder game(GetParam().inside);
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  expect_upgraded(game);
  EXPECT_EQ(testing::click(game, testing::command::restore), std::vector<std::string>{texts::restored});
  EXPECT_EQ(file_bytes(game.bundle()), testing::small_stock().bundle);
}

std::string long_folder() {
  std::string path;
  for (int i = 0; i < 6; ++i) path += std::string(50, static_cast<char>('a' + i)) + "/";
  return path + "Vantor";
}

INSTANTIATE_TEST_SUITE_P(Table, GameFolderPath,
                         ::testing::Values(folder_case{"chinese", "游戏/万特尔 动画"},
                                           folder_case{"longer_than_260", long_folder()}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(WindowsGame, NamesThatDifferInCaseAreTheSameFiles) {
  testing::game_folder game;
  fs::rename(testing::native_path(game.path("Common")), testing::native_path(game.path("COMMON")));
  fs::rename(testing::native_path(game.path("pmodel/P0.POS")), testing::native_path(game.path("pmodel/p0.pos")));
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  expect_upgraded(game);
  int common_folders = 0;
  for (const auto& entry : fs::directory_iterator(testing::native_path(game.root()))) {
    std::string name = testing::utf8_of(entry.path().filename());
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    common_folders += name == "common" ? 1 : 0;
  }
  EXPECT_EQ(common_folders, 1) << "no second Common folder";
}

}  // namespace
}  // namespace vantor
