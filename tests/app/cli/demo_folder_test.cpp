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

}  // namespace
}  // namespace vantor
