#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/cli/patch_command.h"
#include "drained_stream.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/system_error.h"
#include "services/run_lock.h"
#include "support/fault_injector.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "support/zip_fixture.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::bytes_of;
using testing::put_file;
namespace fs = std::filesystem;

struct run_result {
  int status;
  std::string out;
  std::string err;
};

// The program's output exactly as printed.
run_result run_as_printed(std::vector<std::string> words) {
  words.insert(words.begin(), "vantor-patch");
  std::vector<char*> arguments;
  for (auto& word : words) arguments.push_back(word.data());
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = run_patch_command(arguments, testing::small_stock().identity(), out, err);
  return {status, testing::drain(out), testing::drain(err)};
}

run_result run(std::vector<std::string> words) {
  const run_result printed = run_as_printed(std::move(words));
  // Paths inside the game folder come in the system's own separators.
  return {printed.status, testing::generic_path(printed.out), testing::generic_path(printed.err)};
}

struct usage_case {
  const char* name;
  std::vector<std::string> words;
  int status;
  std::string out_contains;
  const char* err_contains;
  friend void PrintTo(const usage_case& c, std::ostream* os) { *os << c.name; }
};

class CommandLine : public ::testing::TestWithParam<usage_case> {};

TEST_P(CommandLine, ParsesAndAnswers) {
  const auto& c = GetParam();
  const auto result = run(c.words);
  EXPECT_EQ(result.status, c.status);
  EXPECT_NE(result.out.find(c.out_contains), std::string::npos) << result.out;
  EXPECT_NE(result.err.find(c.err_contains), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLine,
    ::testing::Values(
        usage_case{"help", {"--help"}, 0, "Usage:", ""}, usage_case{"version", {"--version"}, 0, "vantor-patch 0.", ""},
        usage_case{"nothing", {}, 2, "", "no command given"},
        usage_case{"unknown_command", {"patch"}, 2, "", "unknown command patch"},
        usage_case{"unknown_option", {"--force", "upgrade"}, 2, "", "unknown option --force"},
        usage_case{"two_commands", {"upgrade", "restore"}, 2, "", "more than one command"},
        usage_case{"game_without_folder", {"upgrade", "--game"}, 2, "", "--game needs a folder"},
        usage_case{"game_twice", {"--game", "a", "--game=b", "status"}, 2, "", "--game given twice"},
        usage_case{"not_a_game_folder", {"--game", "/", "status"}, 2, texts::printed({texts::not_in_game_folder}), ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CommandLine, UpgradeRestoreAndTheirMessages) {
  testing::game_folder game;
  auto result = run({"--game", game.root(), "upgrade"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, texts::printed({texts::upgraded}));
  result = run({"upgrade", "--game=" + game.root()});
  EXPECT_EQ(result.status, 0);  // again, from the backup
  result = run({"--game", game.root(), "restore"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, texts::printed({texts::restored}));

  fs::remove(testing::native_path(game.backup()));
  auto damaged = testing::small_stock().bundle;
  damaged[200] ^= 0x10;
  put_file(game.bundle(), damaged);
  result = run({"--game", game.root(), "upgrade"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, texts::printed({texts::bundle_modified, texts::not_upgraded}));
  fs::remove_all(testing::native_path(game.path("pmodel")));
  result = run({"--game", game.root(), "restore"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, texts::printed({texts::not_restored}));
}

TEST(CommandLine, AGameFolderThatIsAFileIsNotAFolder) {
  testing::game_folder game;
  const auto result = run({"--game", game.path("Vantor.exe"), "status"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("Vantor.exe is not a folder"), std::string::npos) << result.err;
}

struct status_case {
  const char* name;
  std::function<void(testing::game_folder&)> arrange;
  std::vector<std::string> lines;          // bundle, backup, model folder and leftover lines
  std::vector<std::string> refusals = {};  // after the update package line
  friend void PrintTo(const status_case& c, std::ostream* os) { *os << c.name; }
};

class StatusCommand : public ::testing::TestWithParam<status_case> {};

TEST_P(StatusCommand, ReportsEachStateAndChangesNothing) {
  testing::game_folder game;
  GetParam().arrange(game);
  const auto before = game.snapshot();
  const auto result = run({"--game", game.root(), "status"});
  EXPECT_EQ(result.status, 0);
  std::string expected = "game folder: " + game.root() + "\n";
  for (const auto& line : GetParam().lines) expected += line + "\n";
  expected += "update package: 总帧数=39， 起始帧=17061， 结束帧=17100\n";
  for (const auto& line : GetParam().refusals) expected += line + "\n";
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(game.snapshot(), before);
}

void upgraded(testing::game_folder& game) { run({"--game", game.root(), "upgrade"}); }

INSTANTIATE_TEST_SUITE_P(
    States, StatusCommand,
    ::testing::Values(
        status_case{"stock", [](auto&) {}, {"bundle: stock", "backup: missing", "model folder: present"}},
        status_case{
            "upgraded",
            upgraded,
            {"bundle: upgraded with this update package, frame count 17100", "backup: stock", "model folder: present"}},
        status_case{"upgraded_with_other_frames",
                    [](auto& g) {
                      upgraded(g);
                      // The same count and length: only the frames' bytes tell them apart.
                      byte_string frames = g.new_frames;
                      frames.back() ^= 1;
                      put_file(g.path("updatefile/new.amb.out"), testing::frame_package(frames, g.new_count));
                    },
                    {"bundle: upgraded, frame count 17100 (not this update package)", "backup: stock",
                     "model folder: present"}},
        status_case{"modified",
                    [](auto& g) {
                      auto bytes = testing::small_stock().bundle;
                      bytes[300] ^= 1;
                      put_file(g.bundle(), bytes);
                      put_file(g.backup(), bytes);
                    },
                    {"bundle: modified (not the stock bundle)", "backup: modified (not the stock bundle)",
                     "model folder: present"}},
        status_case{"missing",
                    [](auto& g) {
                      fs::remove(testing::native_path(g.bundle()));
                      fs::remove_all(testing::native_path(g.path("pmodel")));
                    },
                    {"bundle: missing", "backup: missing", "model folder: missing"}},
        status_case{"package_only",
                    [](auto& g) {
                      fs::remove_all(testing::native_path(g.path("pmodel")));
                      put_file(g.path("pmodel.pak"), bytes_of("PK"));
                    },
                    {"bundle: stock", "backup: missing", "model folder: missing (pmodel.pak will be unpacked)"}},
        status_case{"not_files",
                    [](auto& g) {
                      fs::remove(testing::native_path(g.bundle()));
                      fs::create_directory(testing::native_path(g.bundle()));
                      fs::create_directory(testing::native_path(g.backup()));
                      fs::remove_all(testing::native_path(g.path("pmodel")));
                      put_file(g.path("pmodel"), bytes_of("a file"));
                    },
                    {"bundle: not a regular file", "backup: not a regular file", "model folder: not a folder"}},
        status_case{"leftovers",
                    [](auto& g) {
                      put_file(g.bundle() + ".vantor-tmp", bytes_of("half"));
                      fs::create_directory(testing::native_path(g.pose() + ".vantor-tmp"));
                    },
                    {"bundle: stock", "backup: missing", "model folder: present",
                     "leftover: Common/character.amb.vantor-tmp is in the way (the next upgrade or restore removes it)",
                     "leftover: pmodel/P0.POS.vantor-tmp is in the way (the next upgrade or restore removes it)"}},
        status_case{"package_refused",
                    [](auto& g) {
                      fs::remove(testing::native_path(g.path("updatefile/p0.pos")));
                      put_file(g.path("updatefile/character.act"), byte_string{});
                    },
                    {"bundle: stock", "backup: missing", "model folder: present"},
                    {"update package refused: updatefile/p0.pos is missing or empty",
                     "update package refused: updatefile/character.act is missing or empty"}},
        status_case{"package_not_a_file",
                    [](auto& g) {
                      fs::remove_all(testing::native_path(g.path("pmodel")));
                      fs::create_directory(testing::native_path(g.path("pmodel.pak")));
                    },
                    {"bundle: stock", "backup: missing",
                     "model folder: missing (pmodel.pak is not a regular file; the upgrade cannot unpack it)"}},
        // An upgraded bundle whose frames were cut is no upgraded one.
        status_case{"upgraded_cut_short",
                    [](auto& g) {
                      upgraded(g);
                      const auto bytes = testing::file_bytes(g.bundle());
                      put_file(g.bundle(), testing::first_bytes(bytes, bytes.size() - 100));
                    },
                    {"bundle: damaged (frame count 17100, 100 bytes short of the update package's frames)",
                     "backup: stock", "model folder: present"}},
        status_case{"upgraded_without_frames",
                    [](auto& g) {
                      upgraded(g);
                      put_file(g.bundle(), testing::first_bytes(testing::file_bytes(g.bundle()),
                                                                static_cast<std::size_t>(
                                                                    testing::small_stock().identity().prefix_length)));
                    },
                    {"bundle: damaged (frame count 17100, but no frames after the stock prefix)", "backup: stock",
                     "model folder: present"}},
        status_case{"model_folder_left_half_unpacked",
                    [](auto& g) {
                      fs::remove_all(testing::native_path(g.path("pmodel")));
                      put_file(g.path("pmodel.pak"), bytes_of("PK"));
                      put_file(g.path("pmodel.vantor-tmp/mesh/a.msh"), bytes_of("half"));
                    },
                    {"bundle: stock", "backup: missing", "model folder: missing (pmodel.pak will be unpacked)",
                     "leftover: pmodel.vantor-tmp is in the way (the next upgrade or restore removes it)"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(StatusCommand, WithoutTheUpdateFolderSaysWhyAnUpgradeWouldBeRefused) {
  testing::game_folder game;
  fs::remove_all(testing::native_path(game.path("updatefile")));
  const auto result = run({"--game", game.root(), "status"});
  EXPECT_NE(result.out.find("update package refused: updatefile/p0.pos is missing or empty"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("update package refused: updatefile/new.amb.out is missing or empty"), std::string::npos);
}

TEST(StatusCommand, CallsABundleThatCannotBeReadUnreadableNotModified) {
  testing::game_folder game;
  put_file(game.backup(), testing::small_stock().bundle);
  testing::fault_injector refused(
      [](platform::operation op, std::string_view path) {
        return op == platform::operation::open &&
               (path.find("character.amb") != std::string_view::npos || path.find("备份") != std::string_view::npos);
      },
      1, false, os_error::no_permission);
  const auto result = run({"--game", game.root(), "status"});
  EXPECT_NE(result.out.find("bundle: cannot be read (permission denied)\nbackup: cannot be read (permission denied)\n"),
            std::string::npos)
      << result.out;
}

struct reason_case {
  const char* name;
  const char* command;
  std::function<void(testing::game_folder&)> arrange;
  std::function<std::unique_ptr<testing::fault_injector>()> fault;
  std::string out;
  const char* err;
  bool refused_for_rights = false;  ///< then a last line says what the player can do
  friend void PrintTo(const reason_case& c, std::ostream* os) { *os << c.name; }
};

class FailureReasons : public ::testing::TestWithParam<reason_case> {};

TEST_P(FailureReasons, FollowTheMessagesOnStandardError) {
  testing::game_folder game;
  if (GetParam().arrange) GetParam().arrange(game);
  const auto fault = GetParam().fault ? GetParam().fault() : nullptr;
  const auto result = run({"--game", game.root(), GetParam().command});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, GetParam().out);
  std::string err = GetParam().err;
  if (GetParam().refused_for_rights)
    err += platform::can_run_elevated() ? "reason: the game folder is protected; run vantor-patch as administrator\n"
                                        : "reason: the game folder is not writable for this user\n";
  EXPECT_EQ(result.err, err);
}

std::unique_ptr<testing::fault_injector> failing(platform::operation op, const char* where, failure_kind kind) {
  return std::make_unique<testing::fault_injector>(testing::fault_injector::on(op, where), 1, false, kind);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailureReasons,
    ::testing::Values(reason_case{"package_incomplete", "upgrade",
                                  [](auto& g) { fs::remove(testing::native_path(g.path("updatefile/p0.pos"))); },
                                  nullptr, texts::printed({texts::not_upgraded}),
                                  "reason: updatefile/p0.pos is missing or empty\n"},
                      reason_case{"bundle_in_use", "upgrade", nullptr,
                                  [] { return failing(platform::operation::open, "character.amb", os_error::in_use); },
                                  texts::printed({texts::not_upgraded}),
                                  "reason: Common/character.amb is in use by another program\n"},
                      reason_case{"disk_full", "upgrade", nullptr,
                                  [] { return failing(platform::operation::write, "备份", os_error::no_space); },
                                  texts::printed({texts::not_upgraded}),
                                  "reason: Common/原始动画备份.amb cannot be written: the disk is full\n"},
                      // The file's own reason, and no word about the game folder,
                      // which did not refuse.
                      reason_case{"file_refused_for_rights", "restore", nullptr,
                                  [] { return failing(platform::operation::open, "P0.POS", os_error::no_permission); },
                                  texts::printed({texts::not_restored}),
                                  "reason: pmodel/P0.POS may not be read or written (permission denied)\n"},
                      reason_case{"game_folder_refuses", "upgrade",
                                  [](auto& g) {
                                    fs::remove_all(testing::native_path(g.path("pmodel")));
                                    testing::fixture::write_zip(g.path("pmodel.pak"),
                                                                {testing::fixture::file_item("P0.POS", "pose")});
                                  },
                                  [] {
                                    return std::make_unique<testing::fault_injector>(
                                        [](platform::operation op, std::string_view path) {
                                          return op == platform::operation::check_writable ||
                                                 (op == platform::operation::create_folder &&
                                                  path.find("pmodel.vantor-tmp") != std::string_view::npos);
                                        },
                                        1, false, os_error::no_permission);
                                  },
                                  texts::printed({texts::not_upgraded}),
                                  "reason: pmodel.vantor-tmp may not be read or written (permission denied)\n", true},
                      reason_case{"package_file_held", "upgrade", nullptr,
                                  [] { return failing(platform::operation::open, "new.amb.out", os_error::in_use); },
                                  texts::printed({texts::not_upgraded}),
                                  "reason: updatefile/new.amb.out is in use by another program\n"},
                      reason_case{"no_model_folder", "restore",
                                  [](auto& g) { fs::remove_all(testing::native_path(g.path("pmodel"))); }, nullptr,
                                  texts::printed({texts::not_restored}), "reason: pmodel/P0.POS is missing\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CommandLine, ASecondRunAtTheSameTimeSaysSo) {
  testing::game_folder game;
  const auto held = run_lock::take(game.root());
  ASSERT_TRUE(held.ok());
  const auto result = run({"--game", game.root(), "upgrade"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, texts::printed({texts::not_upgraded}));
  EXPECT_EQ(result.err, "reason: another run is working on this game folder\n");
}

// An entry name made to clear the screen, colour it and forge a second
// reason line reaches the terminal escaped, on one line.
TEST(CommandLine, AnEntryNameCannotForgeLines) {
  testing::game_folder game;
  fs::remove_all(testing::native_path(game.path("pmodel")));
  testing::fixture::write_zip(game.path("pmodel.pak"),
                              {testing::fixture::file_item("evil\x1b[2J\x1b[31mname\rreason: all fine\n.msh", "x")});
  const auto upgrade = run_as_printed({"--game", game.root(), "upgrade"});
  EXPECT_EQ(upgrade.status, 1);
  EXPECT_EQ(upgrade.err, std::string("reason: pmodel.pak") + platform::path_separator +
                             "evil\\x1b[2J\\x1b[31mname\\x0dreason: all fine\\x0a.msh is an entry whose name is "
                             "unsafe or that Windows cannot hold\n");
}

TEST(CommandLine, AGameFolderThatCannotBeUsedSaysWhy) {
  const auto missing = run({"--game", "/vantor-no-such-folder", "status"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("/vantor-no-such-folder is missing"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace vantor
