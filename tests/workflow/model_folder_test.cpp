// The model folder during an upgrade: unpacked from the model package only
// when it is missing, only after the bundle is proved, into a temporary
// folder that goes in place whole or not at all.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/system_error.h"
#include "services/bytes.h"
#include "support/fault_injector.h"
#include "support/game_folder.h"
#include "support/player_texts.h"
#include "support/zip_damage.h"
#include "support/zip_fixture.h"
#include "support/zip_shape.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using namespace testing::fixture;
using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;
using tree = std::map<std::string, byte_string>;

const byte_string folder_mark = bytes_of("<folder>");
const byte_string mesh_data = testing::random_bytes(30000, 5);

// A model package as ordinary tools write it: no folder entries, a folder
// named in two letter cases, a stored and deflated mix.
std::vector<zip_item> package_items() {
  zip_item mesh = file_item("mesh/hero.msh", "");
  mesh.data = mesh_data;
  return {file_item("P0.POS", "packaged pose"), mesh, file_item("Mesh/parts/arm.msh", "arm", 0),
          file_item("textures\\skin.bmp", "BM")};
}

// What pmodel holds after an upgrade that unpacked package_items().
tree unpacked_tree(const testing::game_folder& game) {
  return {{"P0.POS", game.pose_update},
          {"mesh", folder_mark},
          {"mesh/hero.msh", mesh_data},
          {"mesh/parts", folder_mark},
          {"mesh/parts/arm.msh", bytes_of("arm")},
          {"textures", folder_mark},
          {"textures/skin.bmp", bytes_of("BM")}};
}

// A game without its model folder, with the model package beside it.
void without_model_folder(testing::game_folder& game) {
  fs::remove_all(game.path("pmodel"));
  write_zip(game.path("pmodel.pak"), package_items());
}

std::vector<std::string> click_upgrade(const testing::game_folder& game) {
  return testing::click(game, testing::command::upgrade);
}

TEST(ModelFolder, IsUnpackedWholeFromAPackageWithoutFolderEntries) {
  testing::game_folder game;
  without_model_folder(game);
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(game.snapshot("pmodel"), unpacked_tree(game));
  EXPECT_FALSE(fs::exists(game.path("pmodel.vantor-tmp")));
  EXPECT_EQ(file_bytes(game.action()), game.action_update);
}

TEST(ModelFolder, ThatIsThereIsNeverUnpackedAgain) {
  testing::game_folder game;  // its model folder holds only P0.POS
  write_zip(game.path("pmodel.pak"), package_items());
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(game.snapshot("pmodel"), (tree{{"P0.POS", game.pose_update}}));
}

// As ZIP writers other than ours lay the package out: every such package
// installs whole.
struct shape_case {
  const char* name;
  zip_shape shape;
  friend void PrintTo(const shape_case& c, std::ostream* os) { *os << c.name; }
};

class PackageShape : public ::testing::TestWithParam<shape_case> {};

TEST_P(PackageShape, IsUnpackedWhole) {
  testing::game_folder game;
  without_model_folder(game);
  byte_string package = file_bytes(game.path("pmodel.pak"));
  reshape(GetParam().shape)(package);
  put_file(game.path("pmodel.pak"), package);
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(game.snapshot("pmodel"), unpacked_tree(game));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PackageShape,
    ::testing::Values(shape_case{"zip64_local_headers", {.zip64_local = true}},
                      shape_case{"zip64_sizes_of_small_entries", {.zip64_sizes = true}},
                      shape_case{"zip64_end_records", {.zip64_end = true}},
                      shape_case{"zip64_everywhere",
                                 {.zip64_local = true, .zip64_sizes = true, .zip64_offsets = true, .zip64_end = true}},
                      shape_case{"appended_to_another_file", {.prefix = 4096}},
                      shape_case{"appended_zip64", {.zip64_sizes = true, .zip64_end = true, .prefix = 4096}},
                      shape_case{"self_extracting_offsets", {.prefix = 4096, .offsets_from_file = true}},
                      shape_case{"bytes_after_the_end", {.trailing = 500}}),
    [](const auto& row) { return std::string(row.param.name); });

// --- packages that must change nothing -------------------------------------------

using patch = zip_patch;

struct package_case {
  const char* name;
  std::vector<zip_item> items;  // written to pmodel.pak unless empty
  patch damage{};               // applied to the written package
  std::function<void(testing::game_folder&)> arrange{};
  friend void PrintTo(const package_case& c, std::ostream* os) { *os << c.name; }
};

std::vector<zip_item> with(std::vector<zip_item> items, zip_item added) {
  items.push_back(std::move(added));
  return items;
}

std::vector<zip_item> thousand_entries() {
  std::vector<zip_item> items;
  for (int i = 0; i < 1000; ++i) items.push_back(file_item(std::to_string(i) + ".bin", "x"));
  return items;
}

class RefusedPackage : public ::testing::TestWithParam<package_case> {};

// Damage in a package laid out as other writers lay it out.
void zip64_wrong_checksum(byte_string& zip) {
  wrong_checksum(1)(zip);
  reshape({.zip64_local = true, .zip64_sizes = true, .zip64_end = true})(zip);
}
void appended_data_longer_than_declared(byte_string& zip) {
  set_declared_size(1, 100)(zip);
  reshape({.prefix = 4096})(zip);
}

TEST_P(RefusedPackage, FailsTheUpgradeAndChangesNothing) {
  const auto& c = GetParam();
  testing::game_folder game;
  fs::remove_all(game.path("pmodel"));
  if (!c.items.empty()) write_zip(game.path("pmodel.pak"), c.items);
  if (c.damage) {
    byte_string bytes = file_bytes(game.path("pmodel.pak"));
    c.damage(bytes);
    put_file(game.path("pmodel.pak"), bytes);
  }
  if (c.arrange) c.arrange(game);
  const tree before = game.snapshot();
  EXPECT_EQ(click_upgrade(game), std::vector<std::string>{texts::not_upgraded});
  EXPECT_EQ(game.snapshot(), before);
  EXPECT_FALSE(fs::exists(game.path("evil")));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedPackage,
    ::testing::Values(
        package_case{"not_an_archive", {}, {}, [](auto& g) { put_file(g.path("pmodel.pak"), "no archive, text"); }},
        package_case{"empty", {}, {}, [](auto& g) { put_file(g.path("pmodel.pak"), byte_string{}); }},
        package_case{"a_folder", {}, {}, [](auto& g) { fs::create_directory(g.path("pmodel.pak")); }},
        package_case{"cut_in_half", package_items(), cut_in_half},
        package_case{"central_directory_cut_off", package_items(), cut_central_directory},
        package_case{"wrong_checksum_deflated", package_items(), wrong_checksum(1)},
        package_case{"wrong_checksum_stored", package_items(), wrong_checksum(2)},
        package_case{"data_cannot_be_inflated", package_items(), break_deflate_data(1)},
        package_case{"data_longer_than_declared", package_items(), set_declared_size(1, 100)},
        package_case{"data_shorter_than_declared", package_items(), set_declared_size(1, 40000)},
        package_case{"declared_sizes_past_the_free_space", thousand_entries(), huge_declared_sizes},
        package_case{"parent_folder", with(package_items(), file_item("../evil", "escaped"))},
        package_case{"parent_folder_behind_backslashes", with(package_items(), file_item("mesh\\..\\..\\evil", "x"))},
        package_case{"absolute", with(package_items(), file_item("/tmp/vantor-model-test-evil", "x"))},
        package_case{"drive_letter", with(package_items(), file_item("C:/evil", "x"))},
        package_case{"control_character", with(package_items(), file_item("mesh/a\tb", "x"))},
        package_case{"file_where_a_folder_goes", with(package_items(), file_item("MESH/hero.msh/x", "x"))},
        package_case{"data_behind_a_folder_name", with(package_items(), file_item("extra/", "data"))},
        package_case{"zip64_wrong_checksum", package_items(), zip64_wrong_checksum},
        package_case{"appended_data_longer_than_declared", package_items(), appended_data_longer_than_declared},
        package_case{"zip64_end_record_lost", package_items(), reshape({.zip64_end = true, .zip64_end_lost = true})},
        // Names Windows cannot hold as they are: refused on every system.
        package_case{"device_name", with(package_items(), file_item("NUL", "x"))},
        package_case{"device_name_with_extensions", with(package_items(), file_item("nul.tar.gz", "x"))},
        package_case{"device_name_in_a_folder", with(package_items(), file_item("mesh/nul.msh", "x"))},
        package_case{"device_name_as_a_folder", with(package_items(), file_item("aux/a.msh", "x"))},
        package_case{"name_ending_in_a_dot", with(package_items(), file_item("mesh/name.", "x"))},
        package_case{"name_ending_in_a_space", with(package_items(), file_item("mesh/name ", "x"))},
        package_case{"alternate_data_stream", with(package_items(), file_item("P0.POS:stream", "x"))},
        package_case{"character_windows_refuses", with(package_items(), file_item("mesh/a|b.msh", "x"))},
        package_case{"drive_relative", with(package_items(), file_item("C:evil", "x"))},
        package_case{"unc", with(package_items(), file_item("\\\\srv\\share\\evil", "x"))}),
    [](const auto& row) { return std::string(row.param.name); });

// --- upgrades that fail after the package was unpacked -----------------------------

TEST(ModelFolder, ARefusedBundleLeavesNoNewModelFolder) {
  testing::game_folder game;
  without_model_folder(game);
  auto bundle = testing::small_stock().bundle;
  bundle[70] ^= 1;
  put_file(game.bundle(), bundle);
  const tree before = game.snapshot();
  EXPECT_EQ(click_upgrade(game), (std::vector<std::string>{texts::bundle_modified, texts::not_upgraded}));
  EXPECT_EQ(game.snapshot(), before);
}

struct step_case {
  const char* name;
  platform::operation op;
  const char* path_fragment;
  bool each_file = false;  ///< the tree made durable file by file, as on Windows
  int nth = 1;             ///< the first matching operation that fails
  friend void PrintTo(const step_case& c, std::ostream* os) { *os << c.name; }
};

class ModelFolderStepFault : public ::testing::TestWithParam<step_case> {};

TEST_P(ModelFolderStepFault, LeavesNoNewModelFolderAndTheNextRunCompletesIt) {
  testing::game_folder game;
  without_model_folder(game);
  const tree before = game.snapshot();
  {
    testing::fault_injector fault(testing::fault_injector::on(GetParam().op, GetParam().path_fragment), GetParam().nth,
                                  false, os_error::no_space, true);
    if (GetParam().each_file) fault.flushing_each_file();
    EXPECT_EQ(click_upgrade(game), std::vector<std::string>{texts::not_upgraded});
  }
  tree after = game.snapshot();
  EXPECT_EQ(after, before);
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(game.snapshot("pmodel"), unpacked_tree(game));
  EXPECT_FALSE(fs::exists(game.path("pmodel.vantor-tmp")));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModelFolderStepFault,
    ::testing::Values(
        step_case{"disk_full_while_unpacking", platform::operation::write, "pmodel.vantor-tmp/mesh"},
        step_case{"folder_cannot_be_made", platform::operation::create_folder, "pmodel.vantor-tmp"},
        step_case{"free_space_unknown", platform::operation::free_space, "pmodel"},
        step_case{"pose_cannot_be_written", platform::operation::write, "pmodel.vantor-tmp/P0.POS"},
        step_case{"tree_cannot_be_flushed", platform::operation::flush_tree, "pmodel"},
        // File by file, as on Windows: a flush on the flushing threads, or one
        // left for the end, fails the whole.
        step_case{"first_file_cannot_be_flushed", platform::operation::flush, "pmodel.vantor-tmp/P0.POS", true},
        step_case{"a_file_cannot_be_flushed", platform::operation::flush, "pmodel.vantor-tmp/mesh/hero", true},
        step_case{"pose_cannot_be_flushed_again", platform::operation::flush, "pmodel.vantor-tmp/P0.POS", true, 2},
        step_case{"folders_cannot_be_flushed", platform::operation::flush_tree, "pmodel", true},
        step_case{"folder_rename", platform::operation::rename, "pmodel.vantor-tmp"},
        // The model folder was in place already and is taken away again.
        step_case{"action_rename_after_it", platform::operation::rename, "character.act"},
        step_case{"bundle_rename_after_it", platform::operation::rename, "character.amb"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ModelFolder, LeftHalfUnpackedIsRemovedAndUnpackedAgain) {
  testing::game_folder game;
  without_model_folder(game);
  // What an upgrade killed while unpacking leaves.
  put_file(game.path("pmodel.vantor-tmp/P0.POS"), bytes_of("packaged pose"));
  put_file(game.path("pmodel.vantor-tmp/mesh/hero.msh"), bytes_of("half a me"));
  ASSERT_EQ(click_upgrade(game), std::vector<std::string>{texts::upgraded});
  EXPECT_EQ(game.snapshot("pmodel"), unpacked_tree(game));
  EXPECT_FALSE(fs::exists(game.path("pmodel.vantor-tmp")));

  // A restore removes such a leftover too.
  put_file(game.path("pmodel.vantor-tmp/mesh/hero.msh"), bytes_of("half a me"));
  EXPECT_EQ(testing::click(game, testing::command::restore), std::vector<std::string>{texts::restored});
  EXPECT_FALSE(fs::exists(game.path("pmodel.vantor-tmp")));
}

TEST(ModelFolder, AFileInItsPlaceFailsTheUpgradeAndStays) {
  testing::game_folder game;
  without_model_folder(game);
  put_file(game.path("pmodel"), bytes_of("not a folder"));
  const tree before = game.snapshot();
  EXPECT_EQ(click_upgrade(game), std::vector<std::string>{texts::not_upgraded});
  EXPECT_EQ(game.snapshot(), before);
}

}  // namespace
}  // namespace vantor
