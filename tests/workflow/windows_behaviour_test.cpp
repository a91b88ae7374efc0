// What is particular to Windows: the game holding its bundle open, Chinese
// and very long game folder paths, folders that ignore letter case.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "platform/system_error.h"
#include "support/fake_ports.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "support/zip_fixture.h"
#include "workflow/game_status.h"
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
  explicit held_open(const std::string& path, DWORD share = FILE_SHARE_READ)
      : handle_(::CreateFileW(testing::native_path(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
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

// Another program holding one of the game's files, sharing it for reading
// or not at all: the command fails with the file named as in use, never
// calls a file it could not read "modified", changes nothing, and succeeds
// once the holder lets go.
struct holder_case {
  const char* name;
  testing::command run;
  const char* held;  ///< relative to the game folder
  DWORD share;
  bool rename_may_pass = false;  ///< Wine lets a rename replace a file shared for deletion; Windows does not
  friend void PrintTo(const holder_case& c, std::ostream* os) { *os << c.name; }
};

class HeldByAnotherProgram : public ::testing::TestWithParam<holder_case> {};

TEST_P(HeldByAnotherProgram, FailsCleanlyAndNamesTheFile) {
  const holder_case& c = GetParam();
  testing::game_folder game;
  if (c.run == testing::command::restore) {
    ASSERT_EQ(testing::click(game, testing::command::upgrade).back(), texts::upgraded);
  }
  const auto before = game.snapshot();
  const std::string failed = c.run == testing::command::upgrade ? texts::not_upgraded : texts::not_restored;
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  {
    held_open holder(game.path(c.held), c.share);
    ASSERT_TRUE(holder.ok());
    const bool done = c.run == testing::command::upgrade ? session.on_upgrade_clicked() : session.on_restore_clicked();
    if (done && c.rename_may_pass) return;
    EXPECT_FALSE(done);
    EXPECT_EQ(fake.messages, std::vector<std::string>{failed});
    ASSERT_FALSE(session.reasons().empty());
    EXPECT_EQ(session.reasons().back().kind, os_error::in_use) << describe(session.reasons().back(), game.root());
    std::string named = c.held;
    std::replace(named.begin(), named.end(), '/', '\\');
    EXPECT_EQ(describe(session.reasons().back(), game.root()), named + " is in use by another program");
  }
  EXPECT_EQ(game.snapshot(), before);
  EXPECT_EQ(testing::click(game, c.run).back(), c.run == testing::command::upgrade ? texts::upgraded : texts::restored);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeldByAnotherProgram,
    ::testing::Values(
        holder_case{"upgrade_bundle_unshared", testing::command::upgrade, "Common/character.amb", 0},
        holder_case{"upgrade_pose_read_shared", testing::command::upgrade, "pmodel/P0.POS", FILE_SHARE_READ},
        holder_case{"upgrade_pose_unshared", testing::command::upgrade, "pmodel/P0.POS", 0},
        holder_case{"upgrade_action_unshared", testing::command::upgrade, "Common/character.act", 0},
        holder_case{"restore_bundle_read_shared", testing::command::restore, "Common/character.amb", FILE_SHARE_READ},
        holder_case{"restore_backup_unshared", testing::command::restore, "Common/原始动画备份.amb", 0},
        holder_case{"restore_pose_unshared", testing::command::restore, "pmodel/P0.POS", 0},
        // In use, never "permission denied", whatever the holder shares.
        holder_case{"upgrade_bundle_shared_for_deletion", testing::command::upgrade, "Common/character.amb",
                    FILE_SHARE_READ | FILE_SHARE_DELETE, true}),
    [](const auto& row) { return std::string(row.param.name); });

// A file of the update package or the model package that another program
// holds unshared is in use, in the window's box too: never missing, short or
// damaged. So is the backup of an upgraded game, whose live bundle is then no
// stock one: the player is told which file to free, not to reinstall.
struct held_source_case {
  const char* name;
  const char* held;           ///< relative to the game folder
  bool package_only = false;  ///< the model folder is to be unpacked from pmodel.pak
  bool upgraded_first = false;
  friend void PrintTo(const held_source_case& c, std::ostream* os) { *os << c.name; }
};

class HeldSource : public ::testing::TestWithParam<held_source_case> {};

TEST_P(HeldSource, IsNamedAsInUseInTheWindow) {
  const held_source_case& c = GetParam();
  testing::game_folder game;
  if (c.upgraded_first) {
    ASSERT_EQ(testing::click(game, testing::command::upgrade).back(), texts::upgraded);
  }
  if (c.package_only) {
    fs::remove_all(testing::native_path(game.path("pmodel")));
    testing::fixture::write_zip(game.path("pmodel.pak"), {testing::fixture::file_item("P0.POS", "pose")});
  }
  const auto before = game.snapshot();
  std::string named = c.held;
  std::replace(named.begin(), named.end(), '/', '\\');
  testing::fake_ports fake;
  {
    held_open holder(game.path(c.held), 0);
    ASSERT_TRUE(holder.ok());
    patch_session session(fake.ports(), testing::small_stock().identity());
    ASSERT_TRUE(session.start_session(game.root()));
    EXPECT_FALSE(session.on_upgrade_clicked());
  }
  std::vector<std::string> boxes;
  if (c.upgraded_first) boxes.push_back(texts::bundle_modified);
  boxes.push_back(named + " 正被其他程序使用，请关闭占用它的程序（比如游戏）后再试。");
  boxes.push_back(texts::not_upgraded);
  EXPECT_EQ(fake.boxes, boxes);
  EXPECT_EQ(game.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, HeldSource,
                         ::testing::Values(held_source_case{"pose_update", "updatefile/p0.pos"},
                                           held_source_case{"action_update", "updatefile/character.act"},
                                           held_source_case{"frames", "updatefile/new.amb.out"},
                                           held_source_case{"model_package", "pmodel.pak", true},
                                           held_source_case{"backup_of_an_upgraded_game", "Common/原始动画备份.amb",
                                                            false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

// A folder under the run lock's file name is no other run: every command
// names it as in the way, and status tells of it.
TEST(WindowsGame, AFolderAtTheRunLocksNameIsNamedNotTakenForAnotherRun) {
  testing::game_folder game;
  fs::create_directory(testing::native_path(game.path("vantor-patcher.lock")));
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  session.set_lock_wait(std::chrono::milliseconds(0));
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_FALSE(session.on_upgrade_clicked());
  ASSERT_FALSE(session.reasons().empty());
  EXPECT_EQ(session.reasons().back().kind, os_error::not_a_file);
  EXPECT_EQ(fake.boxes, (std::vector<std::string>{"vantor-patcher.lock 被其他文件或文件夹占着，请移走后再试。",
                                                  texts::not_upgraded}));
  const auto lines = describe_status(read_status(session));
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& line) { return line.starts_with("in the way: vantor-patcher.lock"); }),
            lines.end());
  fs::remove(testing::native_path(game.path("vantor-patcher.lock")));
  EXPECT_TRUE(session.on_upgrade_clicked());
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
