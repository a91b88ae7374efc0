// Every run says what it did and why it failed: a second run at the same
// time, restores without a backup, folder flushes, hostile frame counts.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>

#include "formats/animation_bundle.h"
#include "formats/restore_payloads.h"
#include "services/little_endian.h"
#include "services/run_lock.h"
#include "support/fake_ports.h"
#include "support/fault_injector.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "workflow/game_status.h"
#include "workflow/messages.h"
#include "workflow/refusal.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;

using testing::stock;

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

// --- one run at a time -------------------------------------------------------------

TEST(RunLock, ASecondRunGivesUpWithAReasonAndChangesNothing) {
  for (const auto run : {testing::command::upgrade, testing::command::restore}) {
    testing::game_folder game;
    const auto before = game.snapshot();
    {
      auto held = run_lock::take(game.root());
      ASSERT_TRUE(held.ok());
      const said result = run_command(game, run, std::chrono::milliseconds(100));
      EXPECT_EQ(result.messages,
                std::vector<std::string>{run == testing::command::upgrade ? texts::not_upgraded : texts::not_restored});
      EXPECT_EQ(result.reasons, std::vector<failure_kind>{os_error::busy});
    }
    EXPECT_EQ(game.snapshot(), before);
  }
}

TEST(RunLock, IsFreeAgainOnceARunEnds) {
  testing::game_folder game;
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  EXPECT_TRUE(run_lock::take(game.root(), std::chrono::milliseconds(0)).ok());
}

// --- a restore that really restores ----------------------------------------------

void expect_originals(const testing::game_folder& game) {
  EXPECT_EQ(file_bytes(game.pose()), bytes_of(pose_restore_payload()));
  EXPECT_EQ(file_bytes(game.action()), bytes_of(action_restore_payload()));
}

TEST(Restore, WithoutTheBackupRebuildsTheStockBundleFromTheUpgradedOne) {
  testing::game_folder game;
  ASSERT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  fs::remove(testing::native_path(game.backup()));  // players delete files they do not recognise
  EXPECT_EQ(testing::click(game, testing::command::restore), std::vector<std::string>{texts::restored});
  EXPECT_EQ(file_bytes(game.bundle()), stock());
  EXPECT_EQ(file_bytes(game.backup()), stock());
  expect_originals(game);
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
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
  ASSERT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  fs::remove(testing::native_path(game.backup()));
  GetParam().arrange(game);
  const auto before = game.snapshot();
  const said result = run_command(game, testing::command::restore);
  EXPECT_EQ(result.messages, std::vector<std::string>{texts::not_restored});
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
                                                       refusal::modified},
                                           untrue_case{"live_missing",
                                                       [](auto& g) { fs::remove(testing::native_path(g.bundle())); },
                                                       os_error::not_found},
                                           untrue_case{"live_a_folder",
                                                       [](auto& g) {
                                                         fs::remove(testing::native_path(g.bundle()));
                                                         fs::create_directory(testing::native_path(g.bundle()));
                                                       },
                                                       os_error::not_a_file}),
                         [](const auto& row) { return std::string(row.param.name); });

// --- folder flushes --------------------------------------------------------------

TEST(FolderFlush, FailingAfterTheBackupKeepsTheLiveBundleAndUndoesTheRest) {
  testing::game_folder game;
  const std::string common = testing::generic_path(game.path("Common"));
  const byte_string old_pose = file_bytes(game.pose()), old_action = file_bytes(game.action());
  {
    // The first flush of the Common folder follows the backup's rename.
    testing::fault_injector fault(
        [&](platform::operation op, std::string_view path) {
          return op == platform::operation::flush && testing::generic_path(path) == common;
        },
        1, true);
    const said result = run_command(game, testing::command::upgrade);
    EXPECT_EQ(result.messages, std::vector<std::string>{texts::not_upgraded});
    EXPECT_EQ(result.reasons, std::vector<failure_kind>{os_error::io_error});
  }
  EXPECT_EQ(file_bytes(game.bundle()), stock()) << "the live bundle was replaced before the backup was durable";
  EXPECT_EQ(file_bytes(game.pose()), old_pose);
  EXPECT_EQ(file_bytes(game.action()), old_action);
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
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
  EXPECT_EQ(result.messages, std::vector<std::string>{texts::not_upgraded});
  EXPECT_EQ(result.reasons, std::vector<failure_kind>{refusal::bad_frame_count});
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
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(file_bytes(game.bundle()), testing::upgraded_bundle(stock(), game.new_frames, game.new_count));
}

// A folder the commands write in that refuses this user is named by status,
// with what to do about it; a writable game has no such line.
TEST(Status, NamesAFolderTheCommandsCannotWriteIn) {
  testing::game_folder game;
  testing::fake_ports fake;
  patch_session session(fake.without_view(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  const auto unwritable_lines = [&] {
    std::vector<std::string> found;
    for (const std::string& line : describe_status(read_status(session)))
      if (line.starts_with("not writable: ")) found.push_back(line);
    return found;
  };
  EXPECT_TRUE(unwritable_lines().empty());
  testing::fault_injector refused(testing::fault_injector::on(platform::operation::check_writable, "Common"), 1, false,
                                  os_error::no_permission);
  const auto lines = unwritable_lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with("not writable: Common (")) << lines[0];
}

}  // namespace
}  // namespace vantor
