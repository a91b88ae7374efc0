// What a command tells its progress display: the bundle in bytes of the
// stock prefix, then the model package in entries, each stage rising to its
// end, and nothing told that is not so.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/fake_ports.h"
#include "support/game_folder.h"
#include "support/player_texts.h"
#include "support/zip_fixture.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using namespace testing::fixture;

struct told {
  work_stage stage;
  std::uint64_t done;
  std::uint64_t total;
};

class progress_recorder final : public progress_port {
 public:
  void show_progress(work_stage stage, std::uint64_t done, std::uint64_t total) override {
    seen.push_back({stage, done, total});
  }
  /// The stages in the order they were first told.
  std::vector<work_stage> stages() const {
    std::vector<work_stage> order;
    for (const told& each : seen) {
      if (order.empty() || order.back() != each.stage) order.push_back(each.stage);
    }
    return order;
  }
  std::vector<told> seen;
};

// Each stage's counts only rise, never pass their total, and reach it.
void expect_each_stage_rises_to_its_end(const std::vector<told>& seen) {
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_LE(seen[i].done, seen[i].total) << i;
    const bool last_of_stage = i + 1 == seen.size() || seen[i + 1].stage != seen[i].stage;
    if (last_of_stage) {
      EXPECT_EQ(seen[i].done, seen[i].total) << "stage ends at " << i;
    } else {
      EXPECT_LE(seen[i].done, seen[i + 1].done) << i;
      EXPECT_EQ(seen[i].total, seen[i + 1].total) << i;
    }
  }
}

std::uint64_t prefix_length() { return static_cast<std::uint64_t>(testing::small_stock().identity().prefix_length); }

struct session_with_progress {
  explicit session_with_progress(const testing::game_folder& game)
      : session(session_ports{messages, nullptr, nullptr, &progress}, testing::small_stock().identity()) {
    session.start_session(game.root());
  }
  testing::fake_ports messages;
  progress_recorder progress;
  patch_session session;
};

TEST(Progress, AnUpgradeTellsTheBundleThenEachEntryOfTheModelPackage) {
  testing::game_folder game;
  fs::remove_all(game.path("pmodel"));
  write_zip(game.path("pmodel.pak"),
            {file_item("P0.POS", "packaged pose"), file_item("mesh/a.msh", "a"), file_item("mesh/b.msh", "b")});
  session_with_progress run(game);
  ASSERT_TRUE(run.session.on_upgrade_clicked());
  EXPECT_EQ(run.progress.stages(), (std::vector<work_stage>{work_stage::bundle, work_stage::models}));
  expect_each_stage_rises_to_its_end(run.progress.seen);
  EXPECT_EQ(run.progress.seen.front().total, prefix_length());
  std::vector<std::uint64_t> entries;
  for (const told& each : run.progress.seen) {
    if (each.stage == work_stage::models) entries.push_back(each.done);
  }
  EXPECT_EQ(entries, (std::vector<std::uint64_t>{1, 2, 3}));
}

TEST(Progress, ARestoreTellsTheBundleAndAnUpgradeWithItsModelFolderNoEntries) {
  testing::game_folder game;
  session_with_progress upgrade(game);
  ASSERT_TRUE(upgrade.session.on_upgrade_clicked());
  EXPECT_EQ(upgrade.progress.stages(), std::vector<work_stage>{work_stage::bundle});
  expect_each_stage_rises_to_its_end(upgrade.progress.seen);

  session_with_progress restore(game);
  ASSERT_TRUE(restore.session.on_restore_clicked());
  EXPECT_EQ(restore.progress.stages(), std::vector<work_stage>{work_stage::bundle});
  expect_each_stage_rises_to_its_end(restore.progress.seen);
}

TEST(Progress, AModifiedBundleIsNeverToldAsDone) {
  testing::game_folder game;
  const byte_string& stock = testing::small_stock().bundle;
  testing::put_file(game.bundle(), byte_string(stock.begin(), stock.begin() + 10));  // too short to be stock
  session_with_progress run(game);
  EXPECT_FALSE(run.session.on_upgrade_clicked());
  for (const told& each : run.progress.seen) EXPECT_LT(each.done, each.total);
}

}  // namespace
}  // namespace vantor
