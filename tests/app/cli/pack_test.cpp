// vantor-patch pack: a modded game becomes an update package that installs
// it byte for byte, or is refused with nothing left behind.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "app/cli/patch_command.h"
#include "drained_stream.h"
#include "services/archive/archive.h"
#include "services/little_endian.h"
#include "support/game_folder.h"
#include "support/native_path.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;

struct run_result {
  int status;
  std::string out;
  std::string err;
};

run_result run(std::vector<std::string> words) {
  words.insert(words.begin(), "vantor-patch");
  std::vector<char*> arguments;
  for (auto& word : words) arguments.push_back(word.data());
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = run_patch_command(arguments, testing::small_stock().identity(), out, err);
  return {status, testing::generic_path(testing::drain(out)), testing::generic_path(testing::drain(err))};
}

// The author's game: the small stock game upgraded with its own update
// package, with more in its model folder (a Chinese name, an empty folder).
struct modded_game {
  testing::game_folder game;
  modded_game() {
    EXPECT_EQ(testing::click(game, testing::command::upgrade).size(), 1u);
    put_file(game.path("pmodel/mesh/头像.msh"), testing::random_bytes(70000, 5));
    put_file(game.path("pmodel/mesh/hero.msh"), bytes_of("hero"));
    testing::put_folder(game.path("pmodel/empty"));
  }
  run_result pack(const std::string& out, std::vector<std::string> more = {}) const {
    std::vector<std::string> words = {"pack", "--from", game.root(), "--out", out};
    words.insert(words.end(), more.begin(), more.end());
    return run(words);
  }
};

// What a folder holds, its files' bytes and its folders.
std::map<std::string, byte_string> contents(const std::string& folder) {
  std::map<std::string, byte_string> found;
  const auto top = testing::native_path(folder);
  if (!fs::is_directory(top)) return found;
  for (const auto& entry : fs::recursive_directory_iterator(top))
    found[testing::utf8_of(fs::relative(entry.path(), top))] =
        entry.is_regular_file() ? file_bytes(testing::utf8_of(entry.path())) : bytes_of("<folder>");
  return found;
}

TEST(Pack, GivesBackTheUpdatePackageAndInstallsTheAuthorsFilesOnAFreshGame) {
  modded_game author;
  const auto& game = author.game;
  testing::temp_folder dir;
  const std::string out = dir / "package";
  const auto made = author.pack(
      out, {"--cover", game.path("updatefile/封面图片.jpg"), "--description", game.path("updatefile/界面说明.txt")});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.err, "");
  EXPECT_NE(made.out.find("new frames: 39, frame numbers 17061 to 17100\n"), std::string::npos) << made.out;
  EXPECT_NE(made.out.find("updatefile/new.amb.out: " + std::to_string(39 * 16 + 4) + " bytes\n"), std::string::npos)
      << made.out;
  EXPECT_NE(made.out.find("models: 3 files in 2 folders below pmodel"), std::string::npos) << made.out;

  // The package is the one the game was upgraded with, and nothing else.
  EXPECT_EQ(contents(out + "/updatefile"), contents(game.path("updatefile")));
  EXPECT_EQ(contents(out).size(), contents(game.path("updatefile")).size() + 2);  // the folder and pmodel.pak
  testing::temp_folder unpacked;
  ASSERT_TRUE(unpack_archive(out + "/pmodel.pak", unpacked / "pmodel"));
  EXPECT_EQ(contents(unpacked / "pmodel"), game.snapshot("pmodel"));

  // A player's fresh stock game gets the author's files byte for byte.
  testing::game_folder player;
  fs::remove_all(testing::native_path(player.path("pmodel")));
  fs::remove_all(testing::native_path(player.path("updatefile")));
  fs::copy(testing::native_path(out + "/updatefile"), testing::native_path(player.path("updatefile")),
           fs::copy_options::recursive);
  fs::copy_file(testing::native_path(out + "/pmodel.pak"), testing::native_path(player.path("pmodel.pak")));
  EXPECT_EQ(testing::click(player, testing::command::upgrade).size(), 1u);
  EXPECT_EQ(player.snapshot("pmodel"), game.snapshot("pmodel"));
  EXPECT_EQ(file_bytes(player.bundle()), file_bytes(game.bundle()));
  EXPECT_EQ(file_bytes(player.action()), file_bytes(game.action()));
}

TEST(Pack, TheSameGameGivesTheSameBytesWhateverTheFilesTimes) {
  modded_game author;
  testing::temp_folder dir;
  ASSERT_EQ(author.pack(dir / "first").status, 0);
  const auto mesh = testing::native_path(author.game.path("pmodel/mesh/hero.msh"));
  fs::last_write_time(mesh, fs::last_write_time(mesh) - std::chrono::hours(50));
  testing::put_folder(dir / "second");  // an empty folder is taken as it is
  ASSERT_EQ(author.pack(dir / "second").status, 0);
  EXPECT_EQ(contents(dir / "first"), contents(dir / "second"));
}

void set_count(const std::string& bundle, std::int32_t count) {
  byte_string bytes = file_bytes(bundle);
  store_le32(bytes.data() + game_stock_identity.count_offset, count);
  put_file(bundle, bytes);
}

struct refusal_case {
  const char* name;
  std::function<void(const testing::game_folder&, const std::string& out)> arrange;
  std::vector<std::string> more;  // after --from and --out
  int status;
  const char* reason;  // a line of standard error, without "reason: "
  friend void PrintTo(const refusal_case& c, std::ostream* os) { *os << c.name; }
};

class PackRefuses : public ::testing::TestWithParam<refusal_case> {};

TEST_P(PackRefuses, SaysWhyAndLeavesNothingInTheFolder) {
  const auto& c = GetParam();
  modded_game author;
  testing::temp_folder dir;
  const std::string out = dir / "package";
  c.arrange(author.game, out);
  const auto before = contents(out);
  const bool existed = fs::exists(testing::native_path(out));
  // "<dir>" stands for the test's folder.
  const auto in_dir = [&](std::string word) {
    if (auto at = word.find("<dir>"); at != std::string::npos) word.replace(at, 5, dir.path());
    return word;
  };
  std::vector<std::string> more;
  for (const std::string& word : c.more) more.push_back(in_dir(word));
  const auto result = author.pack(out, more);
  EXPECT_EQ(result.status, c.status);
  EXPECT_EQ(result.out, "");
  const std::string reason = testing::generic_path(in_dir(c.reason));
  EXPECT_NE(result.err.find("reason: " + reason + "\n"), std::string::npos) << result.err;
  EXPECT_EQ(fs::exists(testing::native_path(out)), existed);
  EXPECT_EQ(contents(out), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackRefuses,
    ::testing::Values(
        refusal_case{"no_stock_prefix",
                     [](const auto& g, const auto&) {
                       byte_string bytes = file_bytes(g.bundle());
                       bytes[300] ^= 1;
                       put_file(g.bundle(), bytes);
                     },
                     {},
                     1,
                     "Common/character.amb does not start with the stock bundle (not even with its frame count set "
                     "back)"},
        refusal_case{"stock_count",
                     [](const auto& g, const auto&) { set_count(g.bundle(), game_stock_identity.stock_count); },
                     {},
                     1,
                     "Common/character.amb holds no new frames (its frame count is the stock one)"},
        refusal_case{"count_below_stock",
                     [](const auto& g, const auto&) { set_count(g.bundle(), 17000); },
                     {},
                     1,
                     "Common/character.amb holds a frame count that does not fit its frames"},
        refusal_case{"no_frame_bytes",
                     [](const auto& g, const auto&) {
                       byte_string bytes = file_bytes(g.bundle());
                       bytes.resize(testing::small_stock().bundle.size());
                       put_file(g.bundle(), bytes);
                     },
                     {},
                     1,
                     "Common/character.amb holds a frame count that does not fit its frames"},
        refusal_case{"backup_not_the_prefix",
                     [](const auto& g, const auto&) {
                       byte_string bytes = file_bytes(g.backup());
                       bytes.push_back(0);
                       put_file(g.backup(), bytes);
                     },
                     {},
                     1,
                     "Common/原始动画备份.amb is not the stock bundle the modded bundle starts with"},
        refusal_case{"no_pose",
                     [](const auto& g, const auto&) { fs::remove(testing::native_path(g.pose())); },
                     {},
                     1,
                     "pmodel/P0.POS is missing or empty"},
        refusal_case{"no_action",
                     [](const auto& g, const auto&) { fs::remove(testing::native_path(g.action())); },
                     {},
                     1,
                     "Common/character.act is missing or empty"},
        refusal_case{"no_model_folder",
                     [](const auto& g, const auto&) { fs::remove_all(testing::native_path(g.path("pmodel"))); },
                     {},
                     1,
                     "pmodel is missing or empty"},
        refusal_case{"model_name_outside_gbk",
                     [](const auto& g, const auto&) { put_file(g.path("pmodel/mesh/\xD1\xA7.msh"), "x"); },
                     {},
                     1,
                     "pmodel/mesh/\xD1\xA7.msh has a name that GBK cannot hold so that it reads back the same "
                     "(rename it)"},
        refusal_case{
            "cover_not_a_picture",
            [](const auto&, const auto& out) { put_file(fs::path(out).parent_path().string() + "/c.jpg", "text"); },
            {"--cover", "<dir>/c.jpg"},
            1,
            "<dir>/c.jpg is not a picture the patcher's window shows (JPEG, BMP, GIF, ICO, CUR or PCX)"},
        refusal_case{"description_outside_gbk",
                     [](const auto&, const auto& out) {
                       put_file(fs::path(out).parent_path().string() + "/d.txt", "新帧 \xF0\x9F\x98\x80");
                     },
                     {"--description", "<dir>/d.txt"},
                     1,
                     "<dir>/d.txt holds \xF0\x9F\x98\x80 (U+1F600), which GBK cannot hold: the window reads the "
                     "description in GBK"},
        refusal_case{"folder_not_empty",
                     [](const auto&, const auto& out) { put_file(out + "/notes.txt", "mine"); },
                     {},
                     2,
                     "<dir>/package is not an empty folder"},
        refusal_case{"empty_folder_kept_when_refused",
                     [](const auto& g, const auto& out) {
                       testing::put_folder(out);
                       fs::remove(testing::native_path(g.action()));
                     },
                     {},
                     1,
                     "Common/character.act is missing or empty"}));

#ifndef _WIN32
// Two names in two letter cases install as one file, as on Windows: the
// package would not give the author's model folder, and the trial install
// says so.
TEST(Pack, KeepsNoPackageThatDoesNotInstallTheGameAsItIs) {
  modded_game author;
  put_file(author.game.path("pmodel/mesh/Hero.msh"), "other hero");
  testing::temp_folder dir;
  const auto result = author.pack(dir / "package");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("reason: pmodel/mesh/Hero.msh is not what the package installs on a stock game\n"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(dir / "package"));
}
#endif

TEST(PackCommand, TakesItsOwnOptionsOnly) {
  EXPECT_EQ(run({"pack", "--from", "a"}).status, 2);
  EXPECT_EQ(run({"pack", "--game", "a", "--from", "a", "--out", "b"}).status, 2);
  EXPECT_EQ(run({"status", "--out", "b"}).status, 2);
  EXPECT_NE(run({"pack", "--from", "a", "--out"}).err.find("--out needs a folder"), std::string::npos);
}

}  // namespace
}  // namespace vantor
