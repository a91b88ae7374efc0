// The command-line patcher's own output failing (a full /dev/full).

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/patch_command.h"
#include "drained_stream.h"
#include "support/game_folder.h"

namespace vantor {
namespace {

TEST(CommandLine, OutputThatCannotBeWrittenIsAFailure) {
  testing::game_folder game;
  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  std::string game_word = game.root();
  std::vector<char*> arguments = {const_cast<char*>("vantor-patch"), const_cast<char*>("--game"), game_word.data(),
                                  const_cast<char*>("status")};
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(run_patch_command(arguments, testing::small_stock().identity(), full, err), 1);
  std::fclose(full);
  EXPECT_NE(testing::drain(err).find("cannot write to standard output"), std::string::npos);
}

TEST(CommandLine, AGameFolderPathTooLongForTheSystemSaysSo) {
  std::string game = "/" + std::string(5000, 'a');
  std::vector<char*> arguments = {const_cast<char*>("vantor-patch"), const_cast<char*>("--game"), game.data(),
                                  const_cast<char*>("status")};
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(run_patch_command(arguments, testing::small_stock().identity(), out, err), 2);
  EXPECT_EQ(testing::drain(out), "");
  const std::string said = testing::drain(err);
  EXPECT_NE(said.find("the game folder cannot be used"), std::string::npos) << said;
  EXPECT_NE(said.find("too long"), std::string::npos) << said;
}

// A game folder whose path holds a line break and a right-to-left override
// cannot forge status lines.
TEST(CommandLine, AGameFolderPathCannotForgeStatusLines) {
  testing::game_folder game("line\nbackup: forged\u202egnp.exe");
  std::string game_word = game.root();
  std::vector<char*> arguments = {const_cast<char*>("vantor-patch"), const_cast<char*>("--game"), game_word.data(),
                                  const_cast<char*>("status")};
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(run_patch_command(arguments, testing::small_stock().identity(), out, err), 0);
  const std::string said = testing::drain(out);
  const std::string first_line = said.substr(0, said.find('\n'));
  EXPECT_NE(first_line.find("line\\x0abackup: forged\\u202egnp.exe"), std::string::npos) << said;
  EXPECT_EQ(said.find("\nbackup: forged"), std::string::npos) << said;
}

}  // namespace
}  // namespace vantor
