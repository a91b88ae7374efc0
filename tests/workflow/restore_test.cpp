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

using testing::stock;

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
        refused_case{"backup_and_bundle_damaged",
                     [](auto& g) {
                       auto damaged = stock();
                       damaged[7] ^= 0x40;
                       put_file(g.backup(), damaged);
                       put_file(g.bundle(), damaged);
                     }},
        refused_case{"backup_truncated_bundle_missing",
                     [](auto& g) {
                       put_file(g.backup(), testing::first_bytes(stock(), 100));
                       fs::remove(testing::native_path(g.bundle()));
                     }},
        refused_case{"common_folder_missing", [](auto& g) { fs::remove_all(testing::native_path(g.path("Common"))); }}),
    [](const auto& row) { return std::string(row.param.name); });

// A backup that no longer proves is never installed, but the live bundle may
// still hold the stock prefix: the restore then makes the backup again from it.
struct recovered_case {
  const char* name;
  byte_string backup;
  bool upgraded_live;  ///< the live bundle is upgraded (else it is still stock)
  friend void PrintTo(const recovered_case& c, std::ostream* os) { *os << c.name; }
};

class RestoreRecovers : public ::testing::TestWithParam<recovered_case> {};

TEST_P(RestoreRecovers, FromTheLiveBundleWhenTheBackupIsDamaged) {
  testing::game_folder game;
  put_file(game.backup(), GetParam().backup);
  if (GetParam().upgraded_live) put_file(game.bundle(), testing::upgraded_bundle(stock(), game.new_frames, 39));
  EXPECT_EQ(click(game, command::restore), std::vector<std::string>{texts::restored});
  EXPECT_EQ(file_bytes(game.bundle()), stock());
  EXPECT_EQ(file_bytes(game.backup()), stock());
  EXPECT_EQ(file_bytes(game.pose()), bytes_of(pose_restore_payload()));
  EXPECT_EQ(file_bytes(game.action()), bytes_of(action_restore_payload()));
}

byte_string with_flipped_byte(byte_string bytes) {
  bytes[7] ^= 0x40;
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RestoreRecovers,
    ::testing::Values(recovered_case{"damaged_backup_upgraded_bundle", with_flipped_byte(stock()), true},
                      recovered_case{"truncated_backup_upgraded_bundle", testing::first_bytes(stock(), 100), true},
                      recovered_case{"empty_backup_stock_bundle", {}, false},
                      recovered_case{"damaged_backup_stock_bundle", with_flipped_byte(stock()), false}),
    [](const auto& row) { return std::string(row.param.name); });

// A folder at the backup's name is the player's: the restore leaves it and
// all it holds alone, and still puts the stock bundle back from the live one.
TEST(Restore, GoesOnFromTheLiveBundleWhenAFolderStandsAtTheBackupsName) {
  for (const bool upgraded_live : {false, true}) {
    SCOPED_TRACE(upgraded_live ? "upgraded live bundle" : "stock live bundle");
    testing::game_folder game;
    fs::create_directory(testing::native_path(game.backup()));
    put_file(game.backup() + "/kept.txt", bytes_of("mine"));
    if (upgraded_live) put_file(game.bundle(), testing::upgraded_bundle(stock(), game.new_frames, 39));
    EXPECT_EQ(click(game, command::restore), std::vector<std::string>{texts::restored});
    EXPECT_EQ(file_bytes(game.bundle()), stock());
    EXPECT_EQ(file_bytes(game.backup() + "/kept.txt"), bytes_of("mine"));
    EXPECT_EQ(file_bytes(game.pose()), bytes_of(pose_restore_payload()));
  }
}

// Another program rewrites the backup while the restore reads it: the
// restore proves the very bytes it copies, so it can never put anything but
// the stock bundle in place.
class backup_rewriter final : public platform::fault_hook {
 public:
  backup_rewriter(std::string backup, int at_read, byte_string bytes)
      : backup_(std::move(backup)), at_read_(at_read), bytes_(std::move(bytes)) {
    platform::set_fault_hook(this);
  }
  ~backup_rewriter() override { platform::set_fault_hook(nullptr); }
  backup_rewriter(const backup_rewriter&) = delete;
  backup_rewriter& operator=(const backup_rewriter&) = delete;

  platform::fault before(platform::operation op, std::string_view path, std::string_view) override {
    const bool reads =
        op == platform::operation::open || op == platform::operation::read || op == platform::operation::copy;
    if (reads && testing::generic_path(path) == testing::generic_path(backup_) && ++seen_ == at_read_) {
      // Windows refuses the write while the restore holds the backup open,
      // which protects it too; elsewhere the bytes change under the reader.
      try {
        put_file(backup_, bytes_);
      } catch (const std::exception&) {
      }
    }
    return {};
  }

 private:
  std::string backup_;
  int at_read_;
  byte_string bytes_;
  int seen_ = 0;
};

TEST(Restore, NeverInstallsABackupRewrittenWhileItIsRead) {
  for (const bool upgraded_live : {true, false}) {
    for (int at_read = 1; at_read <= 3; ++at_read) {
      SCOPED_TRACE(::testing::Message() << "rewritten at its access " << at_read
                                        << (upgraded_live ? ", live bundle upgraded" : ", live bundle modified"));
      testing::game_folder game;
      ASSERT_EQ(click(game, command::upgrade), std::vector<std::string>{texts::upgraded});
      if (!upgraded_live) put_file(game.bundle(), with_flipped_byte(stock()));
      std::vector<std::string> said;
      {
        backup_rewriter writer(game.backup(), at_read, with_flipped_byte(stock()));
        said = click(game, command::restore);
      }
      if (said == std::vector<std::string>{texts::restored}) {
        EXPECT_EQ(file_bytes(game.bundle()), stock());
      } else {
        EXPECT_EQ(said, std::vector<std::string>{texts::not_restored});
        EXPECT_NE(file_bytes(game.bundle()), stock()) << "a failed restore changed the bundle";
      }
    }
  }
}

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
                      restore_fault_case{"bundle_write", platform::operation::write, "character.amb."},
                      restore_fault_case{"backup_read", platform::operation::read, "备份"},
                      restore_fault_case{"bundle_flush", platform::operation::flush, "character.amb."},
                      restore_fault_case{"action_rename", platform::operation::rename, "character.act"},
                      restore_fault_case{"bundle_rename", platform::operation::rename, "character.amb"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
