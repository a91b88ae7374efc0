#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/patch_command.h"
#include "demo_folder.h"
#include "formats/demo_bundle.h"
#include "services/digest.h"
#include "support/player_texts.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

namespace fs = std::filesystem;

TEST(DemoBundle, MatchesTheDemoIdentityAndNotTheGames) {
  const byte_string bundle = make_demo_stock_bundle();
  EXPECT_EQ(bundle.size(), static_cast<std::size_t>(demo_stock_identity.prefix_length));
  EXPECT_EQ(md5_text_digest(bundle), demo_stock_identity.digest);
  EXPECT_NE(md5_text_digest(bundle), game_stock_identity.digest);
}

int patch(const std::string& folder, const char* command, const stock_identity& identity, std::string& out) {
  std::string game = folder;
  std::vector<char*> arguments{const_cast<char*>("vantor-patch"), const_cast<char*>("--game"), game.data(),
                               const_cast<char*>(command)};
  std::FILE* file = std::tmpfile();
  const int status = run_patch_command(arguments, identity, file, stderr);
  std::rewind(file);
  char buffer[1024];
  out.assign(buffer, std::fread(buffer, 1, sizeof buffer, file));
  std::fclose(file);
  return status;
}

TEST(DemoFolder, IsWrittenOnceAndWorksWithTheDemoIdentityOnly) {
  testing::temp_folder dir;
  const std::string folder = dir / "game";
  std::string error;
  ASSERT_EQ(make_demo_folder(folder, error), demo_result::written) << error;
  EXPECT_EQ(make_demo_folder(folder, error), demo_result::folder_not_empty);
  EXPECT_FALSE(fs::exists(folder + "/pmodel"));

  std::string out;
  EXPECT_EQ(patch(folder, "upgrade", game_stock_identity, out), 1);  // the real build refuses it
  EXPECT_EQ(out, texts::printed({texts::bundle_modified, texts::not_upgraded}));
  EXPECT_FALSE(fs::exists(folder + "/pmodel")) << "a refused upgrade unpacked the model package";
  EXPECT_EQ(patch(folder, "upgrade", demo_stock_identity, out), 0);
  EXPECT_EQ(out, texts::printed({texts::upgraded}));
  EXPECT_TRUE(fs::exists(folder + "/pmodel/mesh/hero.msh"));
  EXPECT_EQ(patch(folder, "restore", demo_stock_identity, out), 0);
  EXPECT_EQ(out, texts::printed({texts::restored}));
  EXPECT_EQ(patch(folder, "upgrade", demo_stock_identity, out), 0);
}

TEST(DemoFolder, AcceptsAnEmptyFolderButNotAFile) {
  testing::temp_folder dir;
  std::string error;
  EXPECT_EQ(make_demo_folder(dir.path(), error), demo_result::written);
  testing::put_file(dir / "file", testing::bytes_of("x"));
  EXPECT_EQ(make_demo_folder(dir / "file", error), demo_result::folder_not_empty);
}

// The demo build's pack, on an upgraded demo game, gives back the demo's
// own update package, and that installs the same on a fresh demo game.
TEST(DemoFolder, PackedAfterItsUpgradeGivesBackItsOwnUpdatePackage) {
  testing::temp_folder dir;
  const std::string game = dir / "game", fresh = dir / "fresh", out = dir / "package";
  std::string error, said;
  ASSERT_EQ(make_demo_folder(game, error), demo_result::written) << error;
  ASSERT_EQ(make_demo_folder(fresh, error), demo_result::written) << error;
  ASSERT_EQ(patch(game, "upgrade", demo_stock_identity, said), 0);

  std::vector<std::string> words = {"vantor-patch-demo",
                                    "pack",
                                    "--from",
                                    game,
                                    "--out",
                                    out,
                                    "--cover",
                                    game + "/updatefile/封面图片.jpg",
                                    "--description",
                                    game + "/updatefile/界面说明.txt"};
  std::vector<char*> arguments;
  for (auto& word : words) arguments.push_back(word.data());
  std::FILE* printed = std::tmpfile();
  ASSERT_EQ(run_patch_command(arguments, demo_stock_identity, printed, stderr), 0);
  std::fclose(printed);
  for (const char* name : {"new.amb.out", "p0.pos", "character.act", "封面图片.jpg", "界面说明.txt"})
    EXPECT_EQ(testing::file_bytes(out + "/updatefile/" + name), testing::file_bytes(game + "/updatefile/" + name))
        << name;

  fs::remove(fresh + "/pmodel.pak");
  fs::remove_all(fresh + "/updatefile");
  fs::copy(out, fresh, fs::copy_options::recursive);
  ASSERT_EQ(patch(fresh, "upgrade", demo_stock_identity, said), 0);
  for (const char* name : {"Common/character.amb", "Common/character.act", "pmodel/P0.POS", "pmodel/mesh/hero.msh"})
    EXPECT_EQ(testing::file_bytes(fresh + "/" + name), testing::file_bytes(game + "/" + name)) << name;
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(fresh + "/pmodel"), fs::recursive_directory_iterator()), 3);
}

}  // namespace
}  // namespace vantor
