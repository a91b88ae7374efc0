// Stops the machine at every file operation of an upgrade and a restore and
// checks what survives the reboot: only what was flushed.

#include <gtest/gtest.h>

#include <filesystem>

#include <functional>
#include <map>

#include "formats/restore_payloads.h"
#include "services/bytes.h"
#include "services/little_endian.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/power_loss.h"
#include "support/zip_fixture.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

using namespace testing::fixture;
using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;
using tree = std::map<std::string, byte_string>;

using testing::stock;

struct power_case {
  const char* name;
  bool upgrade;
  std::function<void(testing::game_folder&)> arrange;
  tree unpacked = {};  ///< the model folder the package gives besides P0.POS, when there is none
  friend void PrintTo(const power_case& c, std::ostream* os) { *os << c.name; }
};

// The model folder in what survived, relative to it; empty when it is gone.
tree model_folder_in(const std::map<std::string, byte_string>& disk) {
  tree model;
  for (const auto& [path, bytes] : disk)
    if (path.starts_with("pmodel/")) model[path.substr(7)] = bytes;
  return model;
}

void click(const testing::game_folder& game, bool upgrade) {
  testing::click(game, upgrade ? testing::command::upgrade : testing::command::restore);
}

class PowerLoss : public ::testing::TestWithParam<power_case> {};

TEST_P(PowerLoss, OnlyWholeFilesSurviveAndTheStockPrefixAlways) {
  const auto& c = GetParam();
  int operations = 0;
  {
    testing::game_folder game;
    c.arrange(game);
    testing::power_loss never(game.root(), 0);
    click(game, c.upgrade);
    operations = never.operations_seen();
    // Success was reported: a power cut right afterwards must not lose any
    // of it (a missing folder flush shows up here).
    never.stop_now();
    auto disk = never.after_reboot();
    const tree found = model_folder_in(disk);
    const byte_string new_bundle =
        c.upgrade ? testing::upgraded_bundle(stock(), game.new_frames, game.new_count) : stock();
    EXPECT_EQ(disk["Common/character.amb"], new_bundle);
    EXPECT_EQ(disk["Common/原始动画备份.amb"], stock());
    EXPECT_EQ(disk["pmodel/P0.POS"], c.upgrade ? game.pose_update : testing::bytes_of(pose_restore_payload()));
    EXPECT_EQ(disk["Common/character.act"],
              c.upgrade ? game.action_update : testing::bytes_of(action_restore_payload()));
    if (!c.unpacked.empty()) {
      tree model = c.unpacked;
      model["P0.POS"] = game.pose_update;
      EXPECT_EQ(found, model);
    }
  }
  ASSERT_GT(operations, 5);

  for (int k = 1; k <= operations; ++k) {
    SCOPED_TRACE(::testing::Message() << "power lost at operation " << k << " of " << operations);
    testing::game_folder game;
    c.arrange(game);
    const byte_string old_bundle = file_bytes(game.bundle());
    const byte_string old_pose = file_bytes(game.pose());
    const byte_string old_action = file_bytes(game.action());
    testing::power_loss outage(game.root(), k);
    click(game, c.upgrade);
    ASSERT_TRUE(outage.stopped());
    auto disk = outage.after_reboot();
    const tree found = model_folder_in(disk);  // before disk[] adds what is missing

    const byte_string new_bundle =
        c.upgrade ? testing::upgraded_bundle(stock(), game.new_frames, game.new_count) : stock();
    const byte_string& bundle = disk["Common/character.amb"];
    EXPECT_TRUE(bundle == old_bundle || bundle == new_bundle) << "live bundle torn: " << bundle.size() << " bytes";
    // The stock prefix as it is, or as an upgrade rewrote its count field.
    byte_string prefix = testing::first_bytes(bundle, stock().size());
    const auto field = static_cast<std::size_t>(game_stock_identity.count_offset);
    if (prefix.size() >= field + 4) store_le32(prefix.data() + field, game_stock_identity.stock_count);
    const bool stock_in_live = prefix == stock();
    EXPECT_TRUE(stock_in_live || disk["Common/原始动画备份.amb"] == stock()) << "stock prefix lost";

    const byte_string new_pose = c.upgrade ? game.pose_update : testing::bytes_of(pose_restore_payload());
    const byte_string new_action = c.upgrade ? game.action_update : testing::bytes_of(action_restore_payload());
    EXPECT_TRUE(disk["pmodel/P0.POS"] == old_pose || disk["pmodel/P0.POS"] == new_pose) << "pose file torn";
    EXPECT_TRUE(disk["Common/character.act"] == old_action || disk["Common/character.act"] == new_action)
        << "action file torn";
    if (!c.unpacked.empty()) {
      // A model folder unpacked from the package: none, or the complete one.
      tree model = c.unpacked;
      model["P0.POS"] = new_pose;
      EXPECT_TRUE(found.empty() || found == model) << "model folder half made: " << found.size() << " entries";
    }
    if (::testing::Test::HasFailure()) return;
  }
}

void upgraded_once(testing::game_folder& game) { click(game, true); }

void with_model_package_only(testing::game_folder& game) {
  std::filesystem::remove_all(testing::native_path(game.path("pmodel")));
  write_zip(game.path("pmodel.pak"), {file_item("P0.POS", "packaged pose"), file_item("mesh/a.msh", "mesh a"),
                                      file_item("mesh/deep/b.msh", "mesh b", 0)});
}
const tree unpacked_tree = {{"mesh", bytes_of("<folder>")},
                            {"mesh/a.msh", bytes_of("mesh a")},
                            {"mesh/deep", bytes_of("<folder>")},
                            {"mesh/deep/b.msh", bytes_of("mesh b")}};

INSTANTIATE_TEST_SUITE_P(States, PowerLoss,
                         ::testing::Values(power_case{"first_upgrade", true, [](auto&) {}},
                                           power_case{"second_upgrade", true, upgraded_once},
                                           power_case{"upgrade_over_modified_backup", true,
                                                      [](auto& g) {
                                                        auto damaged = stock();
                                                        damaged[9] ^= 2;
                                                        put_file(g.backup(), damaged);
                                                      }},
                                           power_case{"first_upgrade_with_model_package", true, with_model_package_only,
                                                      unpacked_tree},
                                           power_case{"restore_after_upgrade", false, upgraded_once},
                                           power_case{"restore_without_the_backup", false,
                                                      [](auto& g) {
                                                        upgraded_once(g);
                                                        fs::remove(testing::native_path(g.backup()));
                                                      }}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
