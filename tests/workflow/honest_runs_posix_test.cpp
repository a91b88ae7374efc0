// Every run ends: pipes and links where files belong, and stale entries of
// every kind under temporary names (POSIX file kinds).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "support/bounded_run.h"
#include "support/fake_ports.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "workflow/game_status.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;

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
  fs::remove_all(testing::native_path(path));
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
    if (std::string_view(c.path) == "pmodel.pak") fs::remove_all(testing::native_path(game.path("pmodel")));
    if (c.through_link) {
      make_fifo(game.path("pipe"));
      fs::remove(testing::native_path(game.path(c.path)));
      fs::create_symlink(testing::native_path(game.path("pipe")), testing::native_path(game.path(c.path)));
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

INSTANTIATE_TEST_SUITE_P(
    Table, PipeInTheWay,
    ::testing::Values(
        pipe_case{"pose_update", "updatefile/p0.pos", texts::not_upgraded, texts::restored},
        pipe_case{"action_update", "updatefile/character.act", texts::not_upgraded, texts::restored},
        pipe_case{"frame_package", "updatefile/new.amb.out", texts::not_upgraded, texts::restored},
        pipe_case{"description", "updatefile/界面说明.txt", texts::upgraded, texts::restored},
        pipe_case{"cover", "updatefile/封面图片.jpg", texts::upgraded, texts::restored},
        pipe_case{"live_bundle", "Common/character.amb", texts::not_upgraded, texts::not_restored},
        // The live bundle is stock: the restore writes a real backup over the pipe.
        pipe_case{"backup", "Common/原始动画备份.amb", texts::upgraded, texts::restored},
        pipe_case{"model_package", "pmodel.pak", std::nullopt, texts::not_restored},
        pipe_case{"bundle_temporary", "Common/character.amb.vantor-tmp", texts::upgraded, texts::restored},
        pipe_case{"pose_temporary", "pmodel/P0.POS.vantor-tmp", texts::upgraded, texts::restored},
        pipe_case{"linked_pose_update", "updatefile/p0.pos", texts::not_upgraded, texts::restored, true},
        pipe_case{"linked_live_bundle", "Common/character.amb", texts::not_upgraded, texts::not_restored, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(StaleTemporaries, OfEveryKindAreClearedAndTheUpgradeSucceeds) {
  testing::game_folder game;
  fs::create_directories(testing::native_path(game.path("Common/character.amb.vantor-tmp/inside")));
  put_file(game.path("Common/character.amb.vantor-tmp/inside/x"), bytes_of("x"));
  fs::create_symlink(testing::native_path(game.path("nowhere")),
                     testing::native_path(game.path("Common/原始动画备份.amb.vantor-tmp")));
  fs::create_symlink(testing::native_path(game.path("Vantor.exe")),
                     testing::native_path(game.path("pmodel/P0.POS.vantor-tmp")));
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  EXPECT_FALSE(fs::exists(fs::symlink_status(testing::native_path(game.path("Common/character.amb.vantor-tmp")))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(testing::native_path(game.path("Common/原始动画备份.amb.vantor-tmp")))));
  EXPECT_EQ(file_bytes(game.path("Vantor.exe")), bytes_of("MZ")) << "a link was followed";
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// Whatever stands at the backup's name, the stock bytes end in a regular
// file of the game folder: the upgrade reads such a backup never, proves the
// live bundle and puts a real backup file in its place; a restore after it
// puts the stock bundle back.
struct backup_entry_case {
  const char* name;
  std::function<void(testing::game_folder&)> arrange;
  friend void PrintTo(const backup_entry_case& c, std::ostream* os) { *os << c.name; }
};

class BackupEntry : public ::testing::TestWithParam<backup_entry_case> {};

TEST_P(BackupEntry, NeverStandsInForTheStockBytes) {
  testing::game_folder game;
  GetParam().arrange(game);
  const auto upgrade = bounded_click(game, testing::command::upgrade);
  ASSERT_TRUE(upgrade.has_value()) << "the upgrade hung";
  EXPECT_EQ(upgrade->back(), texts::upgraded);
  EXPECT_EQ(std::find(upgrade->begin(), upgrade->end(), std::string(texts::bundle_modified)), upgrade->end())
      << "a backup that cannot be read was called modified";
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(testing::native_path(game.backup()))));
  EXPECT_EQ(file_bytes(game.backup()), testing::small_stock().bundle);
  EXPECT_EQ(testing::click(game, testing::command::restore), std::vector<std::string>{texts::restored});
  EXPECT_EQ(file_bytes(game.bundle()), testing::small_stock().bundle);
}

void link_backup_to(testing::game_folder& game, const std::string& target) {
  fs::create_symlink(testing::native_path(target), testing::native_path(game.backup()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, BackupEntry,
    ::testing::Values(backup_entry_case{"link_to_the_live_bundle", [](auto& g) { link_backup_to(g, g.bundle()); }},
                      backup_entry_case{"link_to_a_stock_copy",
                                        [](auto& g) {
                                          put_file(g.path("elsewhere.amb"), testing::small_stock().bundle);
                                          link_backup_to(g, g.path("elsewhere.amb"));
                                        }},
                      backup_entry_case{"dangling_link", [](auto& g) { link_backup_to(g, g.path("nothing")); }},
                      backup_entry_case{"link_to_a_folder", [](auto& g) { link_backup_to(g, g.path("pmodel")); }},
                      backup_entry_case{"pipe", [](auto& g) { make_fifo(g.backup()); }}),
    [](const auto& row) { return std::string(row.param.name); });

// A model folder reached through a link is where the upgrade installs; status
// says so instead of "not a folder".
TEST(ModelFolderLink, IsPresentForStatusAndTheUpgrade) {
  testing::game_folder game;
  fs::rename(testing::native_path(game.path("pmodel")), testing::native_path(game.path("models")));
  fs::create_directory_symlink(testing::native_path(game.path("models")), testing::native_path(game.path("pmodel")));
  const auto model_line = [&] {
    testing::fake_ports fake;
    patch_session session(fake.without_view(), testing::small_stock().identity());
    EXPECT_TRUE(session.start_session(game.root()));
    return describe_status(read_status(session)).at(3);
  };
  EXPECT_EQ(model_line(), "model folder: present (a link to a folder)");
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(file_bytes(game.path("models/P0.POS")), game.pose_update);
  EXPECT_TRUE(fs::is_symlink(testing::native_path(game.path("pmodel"))));
}

// A live bundle that is a link to a file is read through it by status and
// the upgrade alike; the upgrade replaces the link, never the file it leads to.
TEST(LiveBundleLink, IsReadThroughByStatusAndTheUpgrade) {
  testing::game_folder game;
  put_file(game.path("elsewhere.amb"), testing::small_stock().bundle);
  fs::remove(testing::native_path(game.bundle()));
  fs::create_symlink(testing::native_path(game.path("elsewhere.amb")), testing::native_path(game.bundle()));
  testing::fake_ports fake;
  patch_session session(fake.without_view(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_EQ(describe_status(read_status(session)).at(1), "bundle: stock (a link to a file)");
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(file_bytes(game.path("elsewhere.amb")), testing::small_stock().bundle);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(testing::native_path(game.bundle()))));
  EXPECT_EQ(file_bytes(game.backup()), testing::small_stock().bundle);
}

// A folder at the backup's name is the player's: it is never taken away, so
// the upgrade refuses, names it and changes nothing.
TEST(BackupEntry, AFolderInItsPlaceRefusesTheUpgrade) {
  testing::game_folder game;
  fs::create_directory(testing::native_path(game.backup()));
  put_file(game.backup() + "/keep.txt", bytes_of("the player's"));
  const auto before = game.snapshot();
  testing::fake_ports fake;
  patch_session session(fake.without_view(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_FALSE(session.on_upgrade_clicked());
  EXPECT_EQ(fake.messages, std::vector<std::string>{texts::not_upgraded});
  ASSERT_FALSE(session.reasons().empty());
  EXPECT_EQ(describe(session.reasons().back(), game.root()), "Common/原始动画备份.amb is not a regular file");
  EXPECT_EQ(game.snapshot(), before);
}

}  // namespace
}  // namespace vantor
