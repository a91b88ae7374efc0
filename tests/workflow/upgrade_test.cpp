#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/system_error.h"
#include "services/bytes.h"
#include "support/fake_ports.h"
#include "support/fault_injector.h"
#include "support/file_identity.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "support/zip_fixture.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using namespace testing::fixture;
using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;

using testing::stock;

byte_string altered(byte_string bytes) {
  bytes[100] ^= 0x01;
  return bytes;
}

std::vector<std::string> click_upgrade(const testing::game_folder& game) {
  return testing::click(game, testing::command::upgrade);
}

void expect_upgraded(const testing::game_folder& game) {
  EXPECT_EQ(file_bytes(game.bundle()), testing::upgraded_bundle(stock(), game.new_frames, game.new_count));
  EXPECT_EQ(file_bytes(game.backup()), stock());
  EXPECT_EQ(file_bytes(game.pose()), game.pose_update);
  EXPECT_EQ(file_bytes(game.action()), game.action_update);
}

struct upgrade_case {
  const char* name;
  std::function<void(testing::game_folder&)> arrange;
  std::vector<std::string> messages;
  friend void PrintTo(const upgrade_case& c, std::ostream* os) { *os << c.name; }
};

class UpgradeMessages : public ::testing::TestWithParam<upgrade_case> {};

TEST_P(UpgradeMessages, FollowTheStartingState) {
  testing::game_folder game;
  GetParam().arrange(game);
  const auto before = game.snapshot();
  EXPECT_EQ(click_upgrade(game), GetParam().messages);
  if (GetParam().messages.back() == texts::upgraded) {
    expect_upgraded(game);
  } else {
    EXPECT_EQ(game.snapshot(), before) << "a failed upgrade changed the game folder";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpgradeMessages,
    ::testing::Values(upgrade_case{"no_model_folder_no_package",
                                   [](auto& g) { fs::remove_all(testing::native_path(g.path("pmodel"))); },
                                   {texts::not_upgraded}},
                      upgrade_case{"first_upgrade", [](auto&) {}, {texts::upgraded}},
                      upgrade_case{"backup_valid_live_upgraded",
                                   [](auto& g) {
                                     put_file(g.backup(), stock());
                                     put_file(g.bundle(), testing::upgraded_bundle(stock(), bytes_of("old frames"), 2));
                                   },
                                   {texts::upgraded}},
                      upgrade_case{"backup_modified_live_stock",
                                   [](auto& g) { put_file(g.backup(), altered(stock())); },
                                   {texts::bundle_modified, texts::upgraded}},
                      upgrade_case{"no_backup_live_modified",
                                   [](auto& g) { put_file(g.bundle(), altered(stock())); },
                                   {texts::bundle_modified, texts::not_upgraded}},
                      upgrade_case{"no_backup_live_already_upgraded",
                                   [](auto& g) { put_file(g.bundle(), testing::upgraded_bundle(stock(), {}, 5)); },
                                   {texts::bundle_modified, texts::not_upgraded}},
                      upgrade_case{"no_backup_live_truncated",
                                   [](auto& g) { put_file(g.bundle(), testing::first_bytes(stock(), 4000)); },
                                   {texts::bundle_modified, texts::not_upgraded}},
                      upgrade_case{"backup_and_live_modified",
                                   [](auto& g) {
                                     put_file(g.backup(), altered(stock()));
                                     put_file(g.bundle(), altered(stock()));
                                   },
                                   {texts::bundle_modified, texts::bundle_modified, texts::not_upgraded}},
                      upgrade_case{"no_backup_no_live",
                                   [](auto& g) { fs::remove(testing::native_path(g.bundle())); },
                                   {texts::not_upgraded}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Upgrade, SecondUpgradeStartsFromTheBackupAndLeavesItAlone) {
  testing::game_folder game;
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  const auto backup_time = fs::last_write_time(testing::native_path(game.backup()));
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  expect_upgraded(game);
  EXPECT_EQ(fs::last_write_time(testing::native_path(game.backup())), backup_time);
}

TEST(Upgrade, ExtractsTheModelPackageWhenTheFolderIsMissing) {
  testing::game_folder game;
  fs::remove_all(testing::native_path(game.path("pmodel")));
  write_zip(game.path("pmodel.pak"),
            {file_item("P0.POS", "packaged pose"), folder_item("parts/"), file_item("parts/body.mdl", "mesh")});
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  expect_upgraded(game);
  EXPECT_EQ(file_bytes(game.path("pmodel/parts/body.mdl")), bytes_of("mesh"));
}

// An incomplete update package must not install empty files over the game's.
struct incomplete_case {
  const char* name;
  const char* file;
  std::optional<byte_string> content;  // none: the file is removed
  friend void PrintTo(const incomplete_case& c, std::ostream* os) { *os << c.name; }
};

class IncompletePackage : public ::testing::TestWithParam<incomplete_case> {};

TEST_P(IncompletePackage, IsRefusedAndChangesNothing) {
  testing::game_folder game;
  fs::remove_all(testing::native_path(game.path("pmodel")));  // the model package must not be extracted either
  write_zip(game.path("pmodel.pak"), {file_item("P0.POS", "packaged pose")});
  const std::string path = game.path(std::string("updatefile/") + GetParam().file);
  fs::remove(testing::native_path(path));
  if (GetParam().content) put_file(path, *GetParam().content);
  const auto before = game.snapshot();
  EXPECT_EQ(click_upgrade(game), std::vector<std::string>{texts::not_upgraded});
  EXPECT_EQ(game.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, IncompletePackage,
                         ::testing::Values(incomplete_case{"pose_missing", "p0.pos", std::nullopt},
                                           incomplete_case{"pose_empty", "p0.pos", byte_string{}},
                                           incomplete_case{"action_missing", "character.act", std::nullopt},
                                           incomplete_case{"action_empty", "character.act", byte_string{}},
                                           incomplete_case{"frames_missing", "new.amb.out", std::nullopt},
                                           incomplete_case{"frames_short", "new.amb.out", byte_string{1, 2, 3}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Upgrade, UnwritableBundleShowsTheCountMessageAndTriesTheNextSource) {
  testing::game_folder game;
  put_file(game.backup(), stock());
  const auto before = game.snapshot();
  // The new bundle's temporary file cannot be created, from either source.
  testing::fault_injector no_room(testing::fault_injector::on(platform::operation::open, "character.amb.vantor-tmp"), 1,
                                  false, os_error::no_space);
  EXPECT_EQ(click_upgrade(game),
            (std::vector<std::string>{texts::frame_count_failed, texts::frame_count_failed, texts::not_upgraded}));
  EXPECT_EQ(game.snapshot(), before);
}

struct step_fault_case {
  const char* name;
  platform::operation op;
  const char* path_fragment;
  std::vector<std::string> messages;
  friend void PrintTo(const step_fault_case& c, std::ostream* os) { *os << c.name; }
};

class UpgradeStepFault : public ::testing::TestWithParam<step_fault_case> {};

TEST_P(UpgradeStepFault, IsReportedAndLeavesTheGameAsItWas) {
  testing::game_folder game;
  const auto before = game.snapshot();
  {
    testing::fault_injector fault(testing::fault_injector::on(GetParam().op, GetParam().path_fragment), 1, false,
                                  os_error::no_space);
    EXPECT_EQ(click_upgrade(game), GetParam().messages);
  }
  auto after = game.snapshot();
  EXPECT_EQ(after, before);
  EXPECT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  expect_upgraded(game);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpgradeStepFault,
    ::testing::Values(
        step_fault_case{"bundle_write",
                        platform::operation::write,
                        "character.amb.",
                        {texts::frame_count_failed, texts::not_upgraded}},
        step_fault_case{"bundle_flush",
                        platform::operation::flush,
                        "character.amb.",
                        {texts::frame_count_failed, texts::not_upgraded}},
        step_fault_case{"backup_write", platform::operation::write, "备份", {texts::not_upgraded}},
        step_fault_case{"pose_write", platform::operation::write, "P0.POS", {texts::not_upgraded}},
        step_fault_case{"action_write", platform::operation::write, "character.act", {texts::not_upgraded}},
        step_fault_case{"pose_rename", platform::operation::rename, "P0.POS", {texts::not_upgraded}},
        step_fault_case{"action_rename", platform::operation::rename, "character.act", {texts::not_upgraded}},
        step_fault_case{"bundle_rename", platform::operation::rename, "character.amb", {texts::not_upgraded}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Upgrade, BackupThatDoesNotReadBackAsStockIsNeverTrusted) {
  testing::game_folder game;
  const auto before = game.snapshot();
  // The backup's temporary file loses its end once it is written and
  // closed, as a disk that lies about a write would leave it: just before it
  // is opened again to be read back.
  int opened = 0;
  testing::fault_injector truncate_backup([&](platform::operation op, std::string_view path) {
    if (op == platform::operation::open && path.find("备份.amb.vantor-tmp") != std::string_view::npos && ++opened == 2)
      fs::resize_file(testing::native_path(std::string(path)), 10);
    return false;
  });
  EXPECT_EQ(click_upgrade(game), std::vector<std::string>{texts::not_upgraded});
  EXPECT_EQ(game.snapshot(), before);
}

TEST(Upgrade, StaleTemporariesFromAnInterruptedRunAreCleanedUp) {
  testing::game_folder game;
  put_file(game.bundle() + ".vantor-tmp", bytes_of("half a bundle"));
  put_file(game.pose() + ".vantor-tmp", bytes_of("half a pose"));
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  expect_upgraded(game);
  EXPECT_FALSE(fs::exists(testing::native_path(game.bundle() + ".vantor-tmp")));
  EXPECT_FALSE(fs::exists(testing::native_path(game.pose() + ".vantor-tmp")));
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// A file the command replaces is never read: it is kept aside by a second
// name, so one the program may not read is replaced all the same, and when a
// later step fails (here the live bundle's rename, the last) the very file
// comes back.
TEST(Installation, AnOldFileThatCannotBeReadIsKeptAndGivenBack) {
  for (const auto run : {testing::command::upgrade, testing::command::restore}) {
    for (const char* relative : {"pmodel/P0.POS", "Common/character.act"}) {
      SCOPED_TRACE(::testing::Message() << relative << (run == testing::command::upgrade ? ", upgrade" : ", restore"));
      testing::game_folder game;
      // A restore replaces the bundle last only on an upgraded game.
      if (run == testing::command::restore) {
        ASSERT_EQ(testing::click(game, testing::command::upgrade).back(), texts::upgraded);
      }
      const std::string held = testing::generic_path(game.path(relative));
      const auto before = game.snapshot();
      const auto identity = testing::identity_of(game.path(relative));
      testing::fake_ports fake;
      patch_session session(fake.without_view(), testing::small_stock().identity());
      ASSERT_TRUE(session.start_session(game.root()));
      {
        // The old file may not be opened; the bundle's rename fails.
        testing::fault_injector refused(
            [&](platform::operation op, std::string_view path) {
              return (op == platform::operation::open && testing::generic_path(path) == held) ||
                     (op == platform::operation::rename && path.ends_with("character.amb.vantor-tmp"));
            },
            1, false, os_error::in_use);
        if (run == testing::command::upgrade)
          EXPECT_FALSE(session.on_upgrade_clicked());
        else
          EXPECT_FALSE(session.on_restore_clicked());
      }
      ASSERT_FALSE(session.reasons().empty());
      EXPECT_EQ(testing::generic_path(describe(session.reasons().back(), game.root())),
                "Common/character.amb is in use by another program");
      EXPECT_EQ(game.snapshot(), before);
      EXPECT_EQ(testing::identity_of(game.path(relative)), identity) << "a copy came back, not the file itself";
      EXPECT_EQ(testing::click(game, run).back(), run == testing::command::upgrade ? texts::upgraded : texts::restored);
    }
  }
}

}  // namespace
}  // namespace vantor
