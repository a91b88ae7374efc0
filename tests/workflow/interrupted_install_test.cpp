// What a command that was interrupted, or could not undo itself, leaves,
// and what the next one makes of it: old files kept aside come back (before
// the commit) or go (after it), only the program's own temporary names are
// swept, and a package file named like them installs and stays.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/fault_hook.h"
#include "platform/files.h"
#include "support/fake_ports.h"
#include "support/file_identity.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "support/zip_fixture.h"
#include "workflow/game_status.h"
#include "workflow/leftovers.h"
#include "workflow/refusal.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;
using namespace testing::fixture;
using testing::bytes_of;
using testing::click;
using testing::command;
using testing::exists;
using testing::file_bytes;
using testing::identity_of;
using testing::put_file;

bool stands(const std::string& path) { return platform::kind_of(path) != platform::entry_kind::none; }

// A session over the game, started, for the leftover calls.
struct started_session {
  explicit started_session(const testing::game_folder& game)
      : session(fake.ports(), testing::small_stock().identity()) {
    EXPECT_TRUE(session.start_session(game.root()));
  }
  testing::fake_ports fake;
  patch_session session;
};

// An install that stopped half way, as a crash leaves it: the old files
// that were replaced are kept aside (by a second name, or renamed aside),
// and the temporaries that were not yet renamed in still stand.
struct half_install {
  const char* name;
  std::vector<const char*> replaced;     ///< renamed in, their old file kept aside
  std::vector<const char*> moved_only;   ///< their old file renamed aside, nothing renamed in yet
  std::vector<const char*> temporaries;  ///< still waiting to be renamed in
  bool committed;
  friend void PrintTo(const half_install& c, std::ostream* os) { *os << c.name; }
};

class InterruptedInstall : public ::testing::TestWithParam<half_install> {};

TEST_P(InterruptedInstall, EndsWithAllOldOrAllNewFiles) {
  const half_install& c = GetParam();
  testing::game_folder game;
  std::vector<std::pair<std::string, std::uint64_t>> old_files;
  for (const char* name : c.replaced) {
    const std::string path = game.path(name);
    old_files.emplace_back(name, identity_of(path));
    ASSERT_TRUE(platform::link_file(path, path + ".vantor-old") || platform::copy_file(path, path + ".vantor-old"));
    ASSERT_TRUE(platform::remove_file(path));
    put_file(path, bytes_of("new version"));
  }
  for (const char* name : c.moved_only) {
    const std::string path = game.path(name);
    old_files.emplace_back(name, identity_of(path));
    ASSERT_TRUE(platform::rename_over(path, path + ".vantor-old"));
  }
  for (const char* name : c.temporaries) put_file(game.path(name) + ".vantor-tmp", bytes_of("new version"));

  started_session run(game);
  ASSERT_TRUE(clear_leftovers(run.session.state()));
  EXPECT_TRUE(leftovers(run.session.state()).empty());
  for (const auto& [name, identity] : old_files) {
    SCOPED_TRACE(name);
    const std::string path = game.path(name);
    EXPECT_FALSE(stands(path + ".vantor-old"));
    if (c.committed) {
      EXPECT_EQ(file_bytes(path), bytes_of("new version"));
    } else {
      EXPECT_NE(file_bytes(path), bytes_of("new version"));
      if (identity != 0) {
        EXPECT_EQ(identity_of(path), identity) << "a copy came back, not the file itself";
      }
    }
  }
  for (const char* name : c.temporaries) EXPECT_FALSE(stands(game.path(name) + ".vantor-tmp"));
  EXPECT_EQ(file_bytes(game.bundle()), testing::small_stock().bundle);
}

INSTANTIATE_TEST_SUITE_P(
    States, InterruptedInstall,
    ::testing::Values(
        // An upgrade: the pose and action files, then the bundle (the commit).
        half_install{
            "pose_in_bundle_not", {"pmodel/P0.POS"}, {}, {"Common/character.act", "Common/character.amb"}, false},
        half_install{"pose_and_action_in_bundle_not",
                     {"pmodel/P0.POS", "Common/character.act"},
                     {},
                     {"Common/character.amb"},
                     false},
        half_install{"action_moved_aside_bundle_not",
                     {"pmodel/P0.POS"},
                     {"Common/character.act"},
                     {"Common/character.act", "Common/character.amb"},
                     false},
        half_install{"all_in_kept_files_left", {"pmodel/P0.POS", "Common/character.act"}, {}, {}, true},
        // A restore that leaves the bundle: the pose file, then the action
        // file (the commit).
        half_install{"restore_pose_in_action_not", {"pmodel/P0.POS"}, {}, {"Common/character.act"}, false},
        half_install{"restore_all_in_kept_file_left", {"pmodel/P0.POS"}, {}, {}, true}),
    [](const auto& row) { return std::string(row.param.name); });

// Only the exact names the program makes are leftovers: nothing that merely
// ends the same way, and nothing in the model folder but the pose file's own.
TEST(Leftovers, AreOnlyTheProgramsOwnNames) {
  testing::game_folder game;
  const std::vector<std::string> ours = {"Common/character.amb.vantor-tmp", "Common/原始动画备份.amb.vantor-tmp",
                                         "Common/character.act.vantor-tmp", "pmodel/P0.POS.vantor-tmp",
                                         "pmodel.vantor-tmp/mesh/a.msh"};
  const std::vector<std::string> theirs = {"Common/notes.vantor-tmp", "pmodel/data.vantor-tmp",
                                           "pmodel/mesh.vantor-old", "updatefile/x.vantor-tmp",
                                           "Common/other.amb.vantor-old"};
  for (const auto& name : ours) put_file(game.path(name), bytes_of("ours"));
  for (const auto& name : theirs) put_file(game.path(name), bytes_of("theirs"));
  {
    started_session run(game);
    const game_status status = read_status(run.session);
    EXPECT_EQ(status.leftovers.size(), ours.size());
    for (const auto& leftover : status.leftovers)
      EXPECT_TRUE(leftover.find("theirs") == std::string::npos && !leftover.ends_with("notes.vantor-tmp")) << leftover;
  }
  EXPECT_EQ(click(game, command::restore).back(), texts::restored);
  for (const auto& name : ours) EXPECT_FALSE(exists(game.path(name))) << name;
  for (const auto& name : theirs) EXPECT_EQ(file_bytes(game.path(name)), bytes_of("theirs")) << name;
}

// A model package may hold files named like the program's temporaries: they
// are the package's, installed and kept through every later command. Only
// the pose file's own two names are the program's: a package holding one
// of them is refused before anything changes.
TEST(Leftovers, APackageFileNamedLikeThemInstallsAndStays) {
  testing::game_folder game;
  std::filesystem::remove_all(testing::native_path(game.path("pmodel")));
  write_zip(game.path("pmodel.pak"), {file_item("mesh/a.msh", "mesh"), file_item("data.vantor-tmp", "data"),
                                      file_item("mesh/P0.POS.vantor-old", "not ours either")});
  const auto kept = [&] {
    return file_bytes(game.path("pmodel/data.vantor-tmp")) == bytes_of("data") &&
           file_bytes(game.path("pmodel/mesh/P0.POS.vantor-old")) == bytes_of("not ours either");
  };
  ASSERT_EQ(click(game, command::upgrade).back(), texts::upgraded);
  EXPECT_TRUE(kept());
  EXPECT_EQ(click(game, command::restore).back(), texts::restored);
  EXPECT_TRUE(kept());
  EXPECT_EQ(click(game, command::upgrade).back(), texts::upgraded);
  EXPECT_TRUE(kept());
}

TEST(Leftovers, APackageHoldingThePoseFilesOwnNamesIsRefused) {
  const std::pair<const char*, const char*> names[] = {{"P0.POS.vantor-old", "P0.POS.vantor-old"},
                                                       {"p0.pos.VANTOR-TMP", "P0.POS.vantor-tmp"}};
  for (const auto& [name, ours] : names) {
    SCOPED_TRACE(name);
    testing::game_folder game;
    std::filesystem::remove_all(testing::native_path(game.path("pmodel")));
    write_zip(game.path("pmodel.pak"), {file_item("mesh/a.msh", "mesh"), file_item(name, "taken")});
    const auto before = game.snapshot();
    testing::fake_ports fake;
    patch_session session(fake.ports(), testing::small_stock().identity());
    ASSERT_TRUE(session.start_session(game.root()));
    EXPECT_FALSE(session.on_upgrade_clicked());
    ASSERT_FALSE(session.reasons().empty());
    EXPECT_EQ(testing::generic_path(describe(session.reasons().back(), game.root())),
              "pmodel.pak/" + std::string(ours) + " is an entry whose name is unsafe or that Windows cannot hold");
    EXPECT_EQ(game.snapshot(), before);
  }
}

// The live bundle's rename fails (the game holds it) and so does putting
// the old pose file back: the command says which file it could not put
// back, leaves the old one kept aside and the bundle's temporary as the mark
// of an install that never committed, and the next command finishes the
// roll-back before it does its own work.
class refusing_hook final : public platform::fault_hook {
 public:
  refusing_hook() { platform::set_fault_hook(this); }
  ~refusing_hook() override { platform::set_fault_hook(nullptr); }
  platform::fault before(platform::operation op, std::string_view path, std::string_view other) override {
    if (op != platform::operation::rename) return {};
    if (std::string(other).ends_with("character.amb")) return {os_error::in_use};
    if (std::string(path).ends_with("P0.POS.vantor-old")) return {os_error::io_error};
    return {};
  }
};

TEST(FailedRollback, NamesTheFileAndTheNextCommandPutsItBack) {
  testing::game_folder game;
  const auto pose_identity = identity_of(game.pose());
  const byte_string pose_before = file_bytes(game.pose());
  {
    testing::fake_ports fake;
    patch_session session(fake.ports(), testing::small_stock().identity());
    ASSERT_TRUE(session.start_session(game.root()));
    {
      refusing_hook hook;
      EXPECT_FALSE(session.on_upgrade_clicked());
    }
    EXPECT_EQ(fake.messages.back(), texts::not_upgraded);
    bool named = false;
    for (const failure& why : session.reasons())
      named = named || (why.kind == refusal::not_put_back && why.path.ends_with("P0.POS"));
    EXPECT_TRUE(named) << "the pose file that could not be put back is not named";
  }
  EXPECT_TRUE(stands(game.pose() + ".vantor-old"));
  EXPECT_TRUE(stands(game.bundle() + ".vantor-tmp"));
  EXPECT_EQ(file_bytes(game.bundle()), testing::small_stock().bundle);

  // A restore finishes the roll-back first: the very old pose file comes
  // back, then the restore writes its own.
  {
    started_session run(game);
    ASSERT_TRUE(clear_leftovers(run.session.state()));
  }
  EXPECT_EQ(file_bytes(game.pose()), pose_before);
  EXPECT_EQ(identity_of(game.pose()), pose_identity);
  EXPECT_FALSE(stands(game.pose() + ".vantor-old"));
  EXPECT_EQ(click(game, command::upgrade).back(), texts::upgraded);
}

}  // namespace
}  // namespace vantor
