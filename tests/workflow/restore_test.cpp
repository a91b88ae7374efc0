#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "formats/restore_payloads.h"
#include "services/bytes.h"
#include "support/fault_injector.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::bytes_of;
using testing::click;
using testing::command;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;

const byte_string& stock() { return testing::small_stock().bundle; }

TEST(RestorePayloads, HaveTheirExactLengths) {
  EXPECT_EQ(pose_restore_payload().size(), 292574u);
  EXPECT_EQ(action_restore_payload().size(), 7303u);
  const auto pose = bytes_of(pose_restore_payload());
  EXPECT_EQ(pose[0], '\r');
  EXPECT_EQ(pose[1], '\n');
  EXPECT_EQ(pose.back(), '\n');
  const auto action = action_restore_payload();
  EXPECT_NE(action[action.size() - 1], '\n');
}

TEST(Restore, OnANeverUpgradedGameRewritesTheFilesAndKeepsTheBundle) {
  testing::game_folder game;
  EXPECT_EQ(click(game, command::restore), std::vector<std::string>{texts::restored});
  EXPECT_EQ(file_bytes(game.pose()), bytes_of(pose_restore_payload()));
  EXPECT_EQ(file_bytes(game.action()), bytes_of(action_restore_payload()));
  EXPECT_EQ(file_bytes(game.bundle()), stock());
  EXPECT_FALSE(fs::exists(testing::native_path(game.backup())));
}

TEST(Restore, AfterAnUpgradePutsTheStockBundleBack) {
  testing::game_folder game;
  ASSERT_EQ(click(game, command::upgrade), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(click(game, command::restore), std::vector<std::string>{texts::restored});
  EXPECT_EQ(file_bytes(game.bundle()), stock());
  EXPECT_EQ(file_bytes(game.backup()), stock());  // kept for the next upgrade
  EXPECT_EQ(click(game, command::upgrade), std::vector<std::string>{texts::upgraded});
}

struct refused_case {
  const char* name;
  std::function<void(testing::game_folder&)> arrange;
  friend void PrintTo(const refused_case& c, std::ostream* os) { *os << c.name; }
};

class RestoreRefused : public ::testing::TestWithParam<refused_case> {};

TEST_P(RestoreRefused, ChangesNothing) {
  testing::game_folder game;
  GetParam().arrange(game);
  const auto before = game.snapshot();
  EXPECT_EQ(click(game, command::restore), std::vector<std::string>{texts::not_restored});
  EXPECT_EQ(game.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RestoreRefused,
    ::testing::Values(
        refused_case{"model_folder_missing", [](auto& g) { fs::remove_all(testing::native_path(g.path("pmodel"))); }},
        refused_case{"backup_damaged",
                     [](auto& g) {
                       auto damaged = stock();
                       damaged[7] ^= 0x40;
                       put_file(g.backup(), damaged);
                       put_file(g.bundle(), testing::upgraded_bundle(stock(), g.new_frames, 39));
                     }},
        refused_case{"backup_truncated", [](auto& g) { put_file(g.backup(), testing::first_bytes(stock(), 100)); }},
        refused_case{"common_folder_missing", [](auto& g) { fs::remove_all(testing::native_path(g.path("Common"))); }}),
    [](const auto& row) { return std::string(row.param.name); });

struct restore_fault_case {
  const char* name;
  platform::operation op;
  const char* path_fragment;
  friend void PrintTo(const restore_fault_case& c, std::ostream* os) { *os << c.name; }
};

class RestoreStepFault : public ::testing::TestWithParam<restore_fault_case> {};

TEST_P(RestoreStepFault, IsReportedAndLeavesTheGameAsItWas) {
  testing::game_folder game;
  ASSERT_EQ(click(game, command::upgrade), std::vector<std::string>{texts::upgraded});
  const auto before = game.snapshot();
  {
    testing::fault_injector fault(testing::fault_injector::on(GetParam().op, GetParam().path_fragment));
    EXPECT_EQ(click(game, command::restore), std::vector<std::string>{texts::not_restored});
  }
  EXPECT_EQ(game.snapshot(), before);
  EXPECT_EQ(click(game, command::restore), std::vector<std::string>{texts::restored});
  EXPECT_EQ(file_bytes(game.bundle()), stock());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RestoreStepFault,
    ::testing::Values(restore_fault_case{"pose_write", platform::operation::write, "P0.POS"},
                      restore_fault_case{"action_write", platform::operation::write, "character.act"},
                      restore_fault_case{"bundle_copy", platform::operation::copy, "备份"},
                      restore_fault_case{"bundle_flush", platform::operation::flush, "character.amb."},
                      restore_fault_case{"action_rename", platform::operation::rename, "character.act"},
                      restore_fault_case{"bundle_rename", platform::operation::rename, "character.amb"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
