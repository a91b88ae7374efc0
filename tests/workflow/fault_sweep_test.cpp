// Makes every file operation of an upgrade and a restore fail in turn, in
// each starting state, and checks what the player is left with.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "formats/animation_bundle.h"
#include "formats/restore_payloads.h"
#include "platform/system_error.h"
#include "services/bytes.h"
#include "support/fault_injector.h"
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
using testing::click;
using testing::command;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;

using tree = std::map<std::string, byte_string>;

using testing::stock;

struct sweep_case {
  const char* name;
  command run;
  std::function<void(testing::game_folder&)> arrange;
  bool can_succeed = true;  ///< the game holds the stock bytes to start from
  tree unpacked = {};       ///< what the model package gives besides P0.POS, when there is no model folder
  friend void PrintTo(const sweep_case& c, std::ostream* os) { *os << c.name; }
};

// The installed bundle and action file and the whole model folder (its pose
// file among the rest), as one value.
struct installed {
  byte_string bundle, action;
  tree model;
  bool operator==(const installed&) const = default;
};

installed read_installed(const testing::game_folder& game) {
  return {file_bytes(game.bundle()), file_bytes(game.action()), game.snapshot("pmodel")};
}

installed expected_after(const testing::game_folder& game, const sweep_case& c, const installed& old) {
  tree model = c.unpacked.empty() ? old.model : c.unpacked;
  if (c.run == command::upgrade) {
    model["P0.POS"] = game.pose_update;
    return {testing::upgraded_bundle(stock(), game.new_frames, game.new_count), game.action_update, model};
  }
  // A restore always ends with the stock bundle: from the backup, or made
  // again from an upgraded live bundle, or the live one left as it was.
  model["P0.POS"] = bytes_of(pose_restore_payload());
  return {stock(), bytes_of(action_restore_payload()), model};
}

// The stock prefix is in the backup, or in the live bundle as it is or with
// its frame count field rewritten by an upgrade.
bool stock_survives(const testing::game_folder& game) {
  const bundle_kind live = inspect_bundle(game.bundle(), testing::small_stock().identity()).kind;
  return live == bundle_kind::stock || live == bundle_kind::upgraded || file_bytes(game.backup()) == stock();
}

// The program's own leftovers: temporaries and old files kept aside.
bool is_leftover(const std::string& name) {
  return name.find(".vantor-tmp") != std::string::npos || name.ends_with(".vantor-old");
}

bool no_temporaries(const testing::game_folder& game) {
  for (const auto& [name, bytes] : game.snapshot())
    if (is_leftover(name)) return false;
  return true;
}

tree without_temporaries(tree files) {
  std::erase_if(files, [](const auto& file) { return is_leftover(file.first); });
  return files;
}

// The same, without the leftovers the next run removes.
installed read_installed_files(const testing::game_folder& game) {
  installed files = read_installed(game);
  std::erase_if(files.model, [](const auto& file) { return is_leftover(file.first); });
  return files;
}

int count_operations(const sweep_case& c) {
  testing::game_folder game;
  c.arrange(game);
  testing::fault_injector counter([](auto, auto) { return false; });
  click(game, c.run);
  return counter.operations_seen();
}

class FaultSweep : public ::testing::TestWithParam<sweep_case> {};

TEST_P(FaultSweep, EveryFailingOperationKeepsThePlayersFilesWhole) {
  const sweep_case& c = GetParam();
  const int operations = count_operations(c);
  ASSERT_GT(operations, 5);
  RecordProperty("operations", operations);
  const std::string success = c.run == command::upgrade ? texts::upgraded : texts::restored;
  const std::string failure = c.run == command::upgrade ? texts::not_upgraded : texts::not_restored;

  struct fault_kind {
    failure_kind error;
    bool once;
    bool partial;
  };
  const fault_kind kinds[] = {{os_error::io_error, true, false},
                              {os_error::no_space, true, true},
                              {os_error::no_permission, false, false},
                              {os_error::no_space, false, true}};
  for (const auto& kind : kinds) {
    const bool once = kind.once;
    for (int k = 1; k <= operations; ++k) {
      SCOPED_TRACE(::testing::Message() << "operation " << k << " of " << operations
                                        << (once ? " fails once" : " and all later fail") << " with failure "
                                        << kind.error << (kind.partial ? ", writes half done" : ""));
      testing::game_folder game;
      c.arrange(game);
      const installed old = read_installed(game);
      const installed wanted = expected_after(game, c, old);
      std::vector<std::string> messages;
      {
        testing::fault_injector fault(testing::fault_injector::any(), k, once, kind.error, kind.partial);
        messages = click(game, c.run);
      }
      const installed now = read_installed_files(game);
      ASSERT_FALSE(messages.empty());
      EXPECT_TRUE(now.bundle == old.bundle || now.bundle == wanted.bundle) << "the live bundle is torn";
      EXPECT_TRUE(!c.can_succeed || stock_survives(game)) << "the stock prefix is gone";
      if (messages.back() == success) {
        EXPECT_EQ(now, wanted) << "success was reported for files that were not written";
      } else if (once) {
        // One failure can always be undone: all old (no new model folder)
        // or, if only the final folder flush failed, all new.
        EXPECT_TRUE(now == old || now == wanted) << "half installed";
      }
      // A model folder that was missing is never half made: none, or the
      // complete one. In one that was there only the pose file changes, to
      // one of its two whole versions.
      if (old.model.empty()) {
        EXPECT_TRUE(now.model.empty() || now.model == wanted.model) << "model folder half made";
      } else {
        // Leftover temporary files are the next run's to remove.
        tree rest = without_temporaries(now.model);
        const byte_string pose = rest["P0.POS"];
        rest["P0.POS"] = old.model.at("P0.POS");
        EXPECT_EQ(rest, old.model);
        EXPECT_TRUE(pose == old.model.at("P0.POS") || pose == wanted.model.at("P0.POS")) << "pose file torn";
      }
      // Run again without faults: it must end in the right state (or, where
      // the command cannot succeed from this state, fail the same way).
      EXPECT_EQ(click(game, c.run).back(), c.can_succeed ? success : failure);
      if (c.can_succeed) {
        EXPECT_EQ(read_installed(game), expected_after(game, c, old));
      }
      EXPECT_TRUE(no_temporaries(game));
      if (::testing::Test::HasFailure()) return;
    }
  }
}

void upgrade_once(testing::game_folder& game) { click(game, command::upgrade); }

// A model package without folder entries, one folder named in two letter
// cases, and what it unpacks to besides the pose file.
void without_model_folder(testing::game_folder& game) {
  fs::remove_all(game.path("pmodel"));
  write_zip(game.path("pmodel.pak"), {file_item("P0.POS", "packaged pose"), file_item("mesh/a.msh", "mesh a"),
                                      file_item("Mesh/b.msh", "mesh b", 0)});
}
const tree unpacked = {
    {"mesh", bytes_of("<folder>")}, {"mesh/a.msh", bytes_of("mesh a")}, {"mesh/b.msh", bytes_of("mesh b")}};

INSTANTIATE_TEST_SUITE_P(
    States, FaultSweep,
    ::testing::Values(sweep_case{"first_upgrade", command::upgrade, [](auto&) {}},
                      sweep_case{"second_upgrade", command::upgrade, [](auto& g) { upgrade_once(g); }},
                      sweep_case{"upgrade_over_modified_backup", command::upgrade,
                                 [](auto& g) {
                                   auto damaged = stock();
                                   damaged[50] ^= 1;
                                   put_file(g.backup(), damaged);
                                 }},
                      sweep_case{"first_upgrade_with_model_package", command::upgrade, without_model_folder, true,
                                 unpacked},
                      sweep_case{"upgrade_after_interrupted_unpacking", command::upgrade,
                                 [](auto& g) {
                                   without_model_folder(g);
                                   put_file(g.path("pmodel.vantor-tmp/P0.POS"), bytes_of("packaged pose"));
                                   put_file(g.path("pmodel.vantor-tmp/mesh/a.msh"), bytes_of("me"));
                                 },
                                 true, unpacked},
                      sweep_case{"upgrade_with_both_modified", command::upgrade,
                                 [](auto& g) {
                                   auto damaged = stock();
                                   damaged[60] ^= 1;
                                   put_file(g.backup(), damaged);
                                   put_file(g.bundle(), damaged);
                                 },
                                 false},
                      sweep_case{"restore_after_upgrade", command::restore, [](auto& g) { upgrade_once(g); }},
                      sweep_case{"restore_never_upgraded", command::restore, [](auto&) {}},
                      sweep_case{"restore_without_the_backup", command::restore,
                                 [](auto& g) {
                                   upgrade_once(g);
                                   fs::remove(testing::native_path(g.backup()));
                                 }}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
