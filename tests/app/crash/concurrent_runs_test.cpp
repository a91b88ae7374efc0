// Two command-line patchers started on the same game folder at random
// offsets, on a large update package: the live bundle is never torn or
// empty, and what each run printed matches what it did.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "demo_folder.h"
#include "formats/demo_bundle.h"
#include "formats/restore_payloads.h"
#include "services/little_endian.h"
#include "support/player_texts.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

namespace fs = std::filesystem;
using testing::file_bytes;

constexpr std::size_t large_frames = 16 << 20;

struct started_run {
  pid_t pid = -1;
  int out = -1;
};

started_run start(const std::string& game, const char* command) {
  int out_pipe[2];
  if (::pipe(out_pipe) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out_pipe[1], 1);
    ::close(out_pipe[0]);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    ::execl(VANTOR_CRASHTEST_BINARY, VANTOR_CRASHTEST_BINARY, "--game", game.c_str(), command, nullptr);
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  return {child, out_pipe[0]};
}

struct finished_run {
  int status = -1;
  std::string out;
};

finished_run finish(const started_run& run) {
  finished_run result;
  char buffer[512];
  ssize_t got;
  while ((got = ::read(run.out, buffer, sizeof buffer)) > 0) result.out.append(buffer, static_cast<std::size_t>(got));
  ::close(run.out);
  int status = 0;
  ::waitpid(run.pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// A demo game with 16 MB of new frames, upgraded once.
void write_large_upgraded_game(const std::string& game) {
  std::string error;
  ASSERT_EQ(make_demo_folder(game, error), demo_result::written) << error;
  byte_string package(large_frames + 4, 0x3C);
  store_le32(package.data() + large_frames, 2000);
  std::ofstream(game + "/updatefile/new.amb.out", std::ios::binary)
      .write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
  ASSERT_EQ(finish(start(game, "upgrade")).status, 0);
}

struct installed {
  byte_string bundle, pose, action;
  bool operator==(const installed&) const = default;
};

installed read_installed(const std::string& game) {
  return {file_bytes(game + "/Common/character.amb"), file_bytes(game + "/pmodel/P0.POS"),
          file_bytes(game + "/Common/character.act")};
}

void expect_told_the_truth(const finished_run& run, const char* success, const char* failure) {
  EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status;
  const std::string last = run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1);
  EXPECT_EQ(last, std::string(run.status == 0 ? success : failure) + "\n") << run.out;
}

struct pair_case {
  const char* name;
  const char* first;
  const char* second;
  friend void PrintTo(const pair_case& c, std::ostream* os) { *os << c.name; }
};

class RunsAtOnce : public ::testing::TestWithParam<pair_case> {};

TEST_P(RunsAtOnce, NeverTearTheBundleAndReportWhatTheyDid) {
  testing::temp_folder dir;
  const std::string game = dir / "game";
  write_large_upgraded_game(game);
  const installed upgraded = read_installed(game);
  ASSERT_EQ(finish(start(game, "restore")).status, 0);
  const installed restored = read_installed(game);
  ASSERT_EQ(restored.bundle, make_demo_stock_bundle());

  std::mt19937 generator(7);
  std::uniform_int_distribution<int> offset(0, 140);
  const auto result_of = [&](const char* command) { return std::string(command) == "upgrade" ? upgraded : restored; };
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(::testing::Message() << "round " << round);
    ASSERT_EQ(finish(start(game, "upgrade")).status, 0);  // every round starts upgraded
    const started_run first = start(game, GetParam().first);
    std::this_thread::sleep_for(std::chrono::milliseconds(offset(generator)));
    const started_run second = start(game, GetParam().second);
    const finished_run a = finish(first), b = finish(second);
    for (const auto& [run, command] : {std::pair{a, GetParam().first}, std::pair{b, GetParam().second}}) {
      const bool upgrade = std::string(command) == "upgrade";
      expect_told_the_truth(run, upgrade ? texts::upgraded : texts::restored,
                            upgrade ? texts::not_upgraded : texts::not_restored);
    }
    const installed now = read_installed(game);
    // Whole, and one complete installation: the result of whichever
    // successful run came last, or the start when neither succeeded.
    EXPECT_TRUE(now == upgraded || now == restored) << "bundle of " << now.bundle.size() << " bytes";
    if (a.status == 0 && b.status != 0) {
      EXPECT_EQ(now, result_of(GetParam().first));
    } else if (b.status == 0 && a.status != 0) {
      EXPECT_EQ(now, result_of(GetParam().second));
    } else if (a.status != 0 && b.status != 0) {
      EXPECT_EQ(now, upgraded);
    }
    if (::testing::Test::HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Pairs, RunsAtOnce,
                         ::testing::Values(pair_case{"upgrade_and_restore", "upgrade", "restore"},
                                           pair_case{"restore_and_upgrade", "restore", "upgrade"},
                                           pair_case{"two_upgrades", "upgrade", "upgrade"}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
