// Every run ends, says what it did and why it failed: pipes and links where
// files belong, stale entries under temporary names, a second run at the
// same time, restores without a backup, folder flushes, hostile frame counts.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <limits>

#include "formats/animation_bundle.h"
#include "formats/restore_payloads.h"
#include "services/little_endian.h"
#include "services/run_lock.h"
#include "support/bounded_run.h"
#include "support/fake_ports.h"
#include "support/fault_injector.h"
#include "support/game_folder.h"
#include "workflow/messages.h"
#include "workflow/session.h"
#include "workflow/status.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;

const byte_string& stock() { return testing::small_stock().bundle; }

// What one command said: its messages, then its reasons as "kind path" lines.
struct said {
  std::vector<std::string> messages;
  std::vector<failure_kind> reasons;
};

said run_command(const testing::game_folder& game, testing::command run,
                 std::chrono::milliseconds lock_wait = run_lock_wait) {
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  session.set_lock_wait(lock_wait);
  if (!session.start_session(game.root())) return {{"<ended>"}, {}};
  if (run == testing::command::upgrade)
    session.on_upgrade_clicked();
  else
    session.on_restore_clicked();
  said result{fake.messages, {}};
  for (const failure& why : session.reasons()) result.reasons.push_back(why.kind);
  return result;
}

// The messages of a command run in a child process, or nothing when it hung.
std::optional<std::vector<std::string>> bounded_click(const testing::game_folder& game, testing::command run) {
  const auto text = testing::run_bounded([&] {
    std::string joined;
    for (const auto& message : testing::click(game, run)) joined += message + "\n";
    return joined;
  });
  if (!text) return std::nullopt;
  std::vector<std::string> messages;
  for (std::size_t start = 0; start < text->size();) {
    const auto end = text->find('\n', start);
    messages.push_back(text->substr(start, end - start));
    start = end + 1;
  }
  return messages;
}

void make_fifo(const std::string& path) {
  fs::remove_all(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path;
}

// --- pipes and links where files belong -------------------------------------------

struct pipe_case {
  const char* name;
  const char* path;                    ///< where the pipe goes, in the game folder
  std::optional<const char*> upgrade;  ///< the upgrade's last message; none: either
  const char* restore;                 ///< the restore's last message
  bool through_link = false;           ///< a link at path points to the pipe
  friend void PrintTo(const pipe_case& c, std::ostream* os) { *os << c.name; }
};

class PipeInTheWay : public ::testing::TestWithParam<pipe_case> {};

TEST_P(PipeInTheWay, NoCommandWaitsForIt) {
  const pipe_case& c = GetParam();
  for (const auto run : {testing::command::upgrade, testing::command::restore}) {
    testing::game_folder game;
    if (std::string_view(c.path) == "pmodel.pak") fs::remove_all(game.path("pmodel"));
    if (c.through_link) {
      make_fifo(game.path("pipe"));
      fs::remove(game.path(c.path));
      fs::create_symlink(game.path("pipe"), game.path(c.path));
    } else {
      make_fifo(game.path(c.path));
    }
    const auto messages = bounded_click(game, run);
    ASSERT_TRUE(messages.has_value()) << "the command hung";
    ASSERT_FALSE(messages->empty());
    if (run == testing::command::restore) {
      EXPECT_EQ(messages->back(), c.restore);
    } else if (c.upgrade) {
      EXPECT_EQ(messages->back(), *c.upgrade);
    }
    const auto status = testing::run_bounded([&] {
      testing::fake_ports fake;
      patch_session session(fake.without_view(), testing::small_stock().identity());
      if (!session.start_session(game.root())) return std::string("ended");
      return describe_status(read_status(session)).front();
    });
    EXPECT_TRUE(status.has_value()) << "status hung";
  }
}

constexpr const char* upgraded = "升级成功！";
constexpr const char* not_upgraded = "升级失败！";
constexpr const char* restored = "复原成功!";
constexpr const char* not_restored = "复原失败！";

INSTANTIATE_TEST_SUITE_P(
    Table, PipeInTheWay,
    ::testing::Values(pipe_case{"pose_update", "updatefile/p0.pos", not_upgraded, restored},
                      pipe_case{"action_update", "updatefile/character.act", not_upgraded, restored},
                      pipe_case{"frame_package", "updatefile/new.amb.out", not_upgraded, restored},
                      pipe_case{"description", "updatefile/界面说明.txt", upgraded, restored},
                      pipe_case{"cover", "updatefile/封面图片.jpg", upgraded, restored},
                      pipe_case{"live_bundle", "Common/character.amb", not_upgraded, not_restored},
                      pipe_case{"backup", "Common/原始动画备份.amb", upgraded, not_restored},
                      pipe_case{"model_package", "pmodel.pak", std::nullopt, not_restored},
                      pipe_case{"bundle_temporary", "Common/character.amb.vantor-tmp", upgraded, restored},
                      pipe_case{"pose_temporary", "pmodel/P0.POS.vantor-tmp", upgraded, restored},
                      pipe_case{"linked_pose_update", "updatefile/p0.pos", not_upgraded, restored, true},
                      pipe_case{"linked_live_bundle", "Common/character.amb", not_upgraded, not_restored, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(StaleTemporaries, OfEveryKindAreClearedAndTheUpgradeSucceeds) {
  testing::game_folder game;
  fs::create_directories(game.path("Common/character.amb.vantor-tmp/inside"));
  put_file(game.path("Common/character.amb.vantor-tmp/inside/x"), bytes_of("x"));
  fs::create_symlink(game.path("nowhere"), game.path("Common/原始动画备份.amb.vantor-tmp"));
  fs::create_symlink(game.path("Vantor.exe"), game.path("pmodel/P0.POS.vantor-tmp"));
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{upgraded});
  EXPECT_FALSE(fs::exists(fs::symlink_status(game.path("Common/character.amb.vantor-tmp"))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(game.path("Common/原始动画备份.amb.vantor-tmp"))));
  EXPECT_EQ(file_bytes(game.path("Vantor.exe")), bytes_of("MZ")) << "a link was followed";
}

// --- one run at a time -------------------------------------------------------------

TEST(RunLock, ASecondRunGivesUpWithAReasonAndChangesNothing) {
  for (const auto run : {testing::command::upgrade, testing::command::restore}) {
    testing::game_folder game;
    const auto before = game.snapshot();
    auto held = run_lock::take(game.root());
    ASSERT_TRUE(held.ok());
    const said result = run_command(game, run, std::chrono::milliseconds(100));
    EXPECT_EQ(result.messages,
              std::vector<std::string>{run == testing::command::upgrade ? not_upgraded : not_restored});
    EXPECT_EQ(result.reasons, std::vector<failure_kind>{failure_kind::busy});
    EXPECT_EQ(game.snapshot(), before);
  }
}

TEST(RunLock, IsFreeAgainOnceARunEnds) {
  testing::game_folder game;
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{upgraded});
  EXPECT_TRUE(run_lock::take(game.root(), std::chrono::milliseconds(0)).ok());
}

// --- a restore that really restores ----------------------------------------------

void expect_originals(const testing::game_folder& game) {
  EXPECT_EQ(file_bytes(game.pose()), bytes_of(pose_restore_payload()));
  EXPECT_EQ(file_bytes(game.action()), bytes_of(action_restore_payload()));
}

TEST(Restore, WithoutTheBackupRebuildsTheStockBundleFromTheUpgradedOne) {
  testing::game_folder game;
  ASSERT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{upgraded});
  fs::remove(game.backup());  // players delete files they do not recognise
  EXPECT_EQ(testing::click(game, testing::command::restore), std::vector<std::string>{restored});
  EXPECT_EQ(file_bytes(game.bundle()), stock());
  EXPECT_EQ(file_bytes(game.backup()), stock());
  expect_originals(game);
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{upgraded});
}

struct untrue_case {
  const char* name;
  std::function<void(testing::game_folder&)> arrange;
  failure_kind reason;
  friend void PrintTo(const untrue_case& c, std::ostream* os) { *os << c.name; }
};

class RestoreWithoutStock : public ::testing::TestWithParam<untrue_case> {};

TEST_P(RestoreWithoutStock, FailsAndChangesNothing) {
  testing::game_folder game;
  ASSERT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{upgraded});
  fs::remove(game.backup());
  GetParam().arrange(game);
  const auto before = game.snapshot();
  const said result = run_command(game, testing::command::restore);
  EXPECT_EQ(result.messages, std::vector<std::string>{not_restored});
  EXPECT_EQ(result.reasons, std::vector<failure_kind>{GetParam().reason});
  EXPECT_EQ(game.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, RestoreWithoutStock,
                         ::testing::Values(untrue_case{"live_modified",
                                                       [](auto& g) {
                                                         byte_string bytes = file_bytes(g.bundle());
                                                         bytes[100] ^= 1;
                                                         put_file(g.bundle(), bytes);
                                                       },
                                                       failure_kind::modified},
                                           untrue_case{"live_missing", [](auto& g) { fs::remove(g.bundle()); },
                                                       failure_kind::not_found},
                                           untrue_case{"live_a_folder",
                                                       [](auto& g) {
                                                         fs::remove(g.bundle());
                                                         fs::create_directory(g.bundle());
                                                       },
                                                       failure_kind::not_a_file}),
                         [](const auto& row) { return std::string(row.param.name); });

// --- folder flushes --------------------------------------------------------------

TEST(FolderFlush, FailingAfterTheBackupKeepsTheLiveBundleAndUndoesTheRest) {
  testing::game_folder game;
  const auto common = fs::path(game.path("Common")).string();
  const byte_string old_pose = file_bytes(game.pose()), old_action = file_bytes(game.action());
  {
    // The first flush of the Common folder follows the backup's rename.
    testing::fault_injector fault(
        [&](platform::operation op, std::string_view path) {
          return op == platform::operation::flush && path == common;
        },
        1, true);
    const said result = run_command(game, testing::command::upgrade);
    EXPECT_EQ(result.messages, std::vector<std::string>{not_upgraded});
    EXPECT_EQ(result.reasons, std::vector<failure_kind>{failure_kind::io_error});
  }
  EXPECT_EQ(file_bytes(game.bundle()), stock()) << "the live bundle was replaced before the backup was durable";
  EXPECT_EQ(file_bytes(game.pose()), old_pose);
  EXPECT_EQ(file_bytes(game.action()), old_action);
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{upgraded});
}

// --- frame counts ----------------------------------------------------------------

struct count_case {
  const char* name;
  std::size_t frame_bytes;
  std::int64_t count;
  friend void PrintTo(const count_case& c, std::ostream* os) { *os << c.name; }
};

class HostileFrameCount : public ::testing::TestWithParam<count_case> {};

TEST_P(HostileFrameCount, IsRefusedAndChangesNothing) {
  testing::game_folder game;
  byte_string package(GetParam().frame_bytes + 4, 0x5A);
  store_le32(package.data() + GetParam().frame_bytes, static_cast<std::uint32_t>(GetParam().count));
  put_file(game.path("updatefile/new.amb.out"), package);
  const auto before = game.snapshot();
  const said result = run_command(game, testing::command::upgrade);
  EXPECT_EQ(result.messages, std::vector<std::string>{not_upgraded});
  EXPECT_EQ(result.reasons, std::vector<failure_kind>{failure_kind::bad_frame_count});
  EXPECT_EQ(game.snapshot(), before);
}

constexpr std::int64_t stock_count = 17061;
constexpr std::int64_t largest_count = std::numeric_limits<std::int32_t>::max() - stock_count;

INSTANTIATE_TEST_SUITE_P(Table, HostileFrameCount,
                         ::testing::Values(count_case{"zero", 64, 0}, count_case{"negative", 64, -1},
                                           count_case{"all_ones", 64, 0xFFFFFFFF},
                                           count_case{"wraps_to_zero", 64, (std::int64_t{1} << 32) - stock_count},
                                           count_case{"past_the_last_frame_number", 64, largest_count + 1},
                                           count_case{"no_frame_bytes", 0, 5}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FrameCount, TheLargestThatFitsIsAccepted) {
  testing::game_folder game;
  game.new_count = static_cast<std::int32_t>(largest_count);
  put_file(game.path("updatefile/new.amb.out"), testing::frame_package(game.new_frames, game.new_count));
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{upgraded});
  EXPECT_EQ(file_bytes(game.bundle()), testing::upgraded_bundle(stock(), game.new_frames, game.new_count));
}

}  // namespace
}  // namespace vantor
