// The command-line patcher killed at every file operation, and run out of
// disk space, on a demo game folder: afterwards the live bundle is whole,
// the stock bytes survive, the model folder is missing or complete, and the
// next upgrade succeeds.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <thread>

#include "demo_folder.h"
#include "formats/demo_bundle.h"
#include "formats/restore_payloads.h"
#include "services/bytes.h"
#include "support/temp_folder.h"
#include "zip_writer.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::file_bytes;

struct outcome {
  bool killed = false;
  int status = -1;
  std::string err;
};

// Runs the test build of the patcher on a game folder; stop_at 0 never stops.
outcome patch(const std::string& game, const char* command, long stop_at, std::optional<rlim_t> file_size_limit = {},
              bool count = false) {
  int err_pipe[2];
  if (::pipe(err_pipe) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(err_pipe[1], 2);
    ::close(err_pipe[0]);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    if (stop_at > 0) ::setenv("VANTOR_STOP_AT", std::to_string(stop_at).c_str(), 1);
    if (count) ::setenv("VANTOR_COUNT_OPERATIONS", "1", 1);
    if (file_size_limit) {
      ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
      const rlimit limit{*file_size_limit, *file_size_limit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execl(VANTOR_CRASHTEST_BINARY, VANTOR_CRASHTEST_BINARY, "--game", game.c_str(), command, nullptr);
    ::_exit(127);
  }
  ::close(err_pipe[1]);
  outcome result;
  char buffer[512];
  ssize_t got;
  while ((got = ::read(err_pipe[0], buffer, sizeof buffer)) > 0)
    result.err.append(buffer, static_cast<std::size_t>(got));
  ::close(err_pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

long count_operations(const std::string& game, const char* command) {
  const auto result = patch(game, command, 0, {}, true);
  const auto at = result.err.find("operations: ");
  return at == std::string::npos ? 0 : std::stol(result.err.substr(at + 12));
}

struct game_state {
  byte_string bundle, backup, pose, action;
};

game_state read_state(const std::string& game) {
  return {file_bytes(game + "/Common/character.amb"), file_bytes(game + "/Common/原始动画备份.amb"),
          file_bytes(game + "/pmodel/P0.POS"), file_bytes(game + "/Common/character.act")};
}

void write_demo(const std::string& game) {
  std::string error;
  ASSERT_EQ(make_demo_folder(game, error), demo_result::written) << error;
}

using tree = std::map<std::string, byte_string>;

// Everything in the game's model folder, relative to it; empty when missing.
tree model_folder(const std::string& game) {
  tree files;
  const fs::path top = game + "/pmodel";
  std::error_code missing;
  for (auto it = fs::recursive_directory_iterator(top, missing); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = it->path().lexically_relative(top).string();
    files[relative] = it->is_regular_file() ? file_bytes(it->path().string()) : testing::bytes_of("<folder>");
  }
  return files;
}

// The stock prefix is in the live bundle or in the backup, and the live
// bundle is one of the two whole versions.
void expect_bundle_whole(const game_state& now, const byte_string& old_bundle, const byte_string& new_bundle) {
  const byte_string stock = make_demo_stock_bundle();
  EXPECT_TRUE(now.bundle == old_bundle || now.bundle == new_bundle) << "torn: " << now.bundle.size() << " bytes";
  EXPECT_TRUE(testing::first_bytes(now.bundle, demo_bundle_length) == stock || now.backup == stock)
      << "stock prefix lost";
}

// A demo game upgraded once without faults: the state every run must reach.
game_state upgraded_reference(const std::string& folder) {
  write_demo(folder);
  EXPECT_EQ(patch(folder, "upgrade", 0).status, 0);
  return read_state(folder);
}

// The model folder as the package would give it, without unpacking it.
bool put_original_model_folder(const std::string& game) {
  std::error_code failed;
  if (!fs::create_directory(game + "/pmodel", failed)) return false;
  const auto pose = pose_restore_payload();
  std::ofstream out(game + "/pmodel/P0.POS", std::ios::binary);
  out.write(reinterpret_cast<const char*>(pose.data()), static_cast<std::streamsize>(pose.size()));
  out.close();
  return static_cast<bool>(out);
}

// A run under a full disk either installed everything (exit 0) or nothing
// (exit 1); returns whether it failed.
int expect_all_or_nothing(int status, const game_state& before, const game_state& now, const game_state& upgraded) {
  expect_bundle_whole(now, before.bundle, upgraded.bundle);
  const game_state& wanted = status == 0 ? upgraded : before;
  EXPECT_TRUE(status == 0 || status == 1) << status;
  EXPECT_EQ(now.bundle, wanted.bundle);
  EXPECT_EQ(now.pose, wanted.pose);
  EXPECT_EQ(now.action, wanted.action);
  return status == 0 ? 0 : 1;
}

struct crash_case {
  const char* name;
  const char* command;
  int upgrades_before;
  bool without_backup = false;  ///< the player deleted the backup before the run
  bool linked = false;          ///< the pose and action files are links to the player's own copies
  friend void PrintTo(const crash_case& c, std::ostream* os) { *os << c.name; }
};

class KilledAtEveryOperation : public ::testing::TestWithParam<crash_case> {};

// The game before the run: upgraded as often as asked, the backup gone, or
// the pose and action files moved to a folder of the player's and linked.
void arrange(const std::string& game, const crash_case& c) {
  write_demo(game);
  for (int i = 0; i < c.upgrades_before; ++i) ASSERT_EQ(patch(game, "upgrade", 0).status, 0);
  if (c.without_backup) fs::remove(game + "/Common/原始动画备份.amb");
  if (c.linked) {
    fs::create_directory(game + "-own");
    for (const char* file : {"/pmodel/P0.POS", "/Common/character.act"}) {
      if (!fs::exists(game + file)) continue;  // a first upgrade unpacks the model folder
      const std::string own = game + "-own/" + fs::path(file).filename().string();
      fs::rename(game + file, own);
      fs::create_symlink(own, game + file);
    }
  }
}

tree own_files(const std::string& game) {
  tree own;
  if (!fs::exists(game + "-own")) return own;
  for (const auto& entry : fs::directory_iterator(game + "-own"))
    own[entry.path().filename().string()] = file_bytes(entry.path().string());
  return own;
}

// Whatever the run did, the player's own copies behind the links are as
// they were, and the stock bytes are in a regular file of the game.
void expect_own_files_kept(const std::string& game, const crash_case& c, const tree& own_before) {
  if (c.linked) {
    EXPECT_EQ(own_files(game), own_before) << "a link was followed";
  }
  if (c.without_backup) return;  // only the upgraded live bundle holds them, checked on its own
  const byte_string stock = make_demo_stock_bundle();
  const std::string bundle = game + "/Common/character.amb", backup = game + "/Common/原始动画备份.amb";
  const bool in_bundle = fs::is_regular_file(fs::symlink_status(bundle)) &&
                         testing::first_bytes(file_bytes(bundle), demo_bundle_length) == stock;
  const bool in_backup = fs::is_regular_file(fs::symlink_status(backup)) && file_bytes(backup) == stock;
  EXPECT_TRUE(in_bundle || in_backup) << "no regular file holds the stock bytes";
}

TEST_P(KilledAtEveryOperation, LeavesTheGameRecoverable) {
  const auto& c = GetParam();
  testing::temp_folder dir;
  // The end state every run must reach, from a run without a crash.
  const std::string reference = dir / "reference";
  arrange(reference, c);
  const byte_string old_bundle = file_bytes(reference + "/Common/character.amb");
  const tree old_model = model_folder(reference);
  const long operations = count_operations(reference, c.command);
  ASSERT_GT(operations, 5);
  const byte_string new_bundle = file_bytes(reference + "/Common/character.amb");
  upgraded_reference(dir / "upgraded");
  const tree upgraded_model = model_folder(dir / "upgraded");
  ASSERT_EQ(upgraded_model.size(), 3u);  // P0.POS, mesh and mesh/hero.msh

  for (long k = 1; k <= operations; ++k) {
    SCOPED_TRACE(::testing::Message() << "killed at operation " << k << " of " << operations);
    const std::string game = dir / ("game" + std::to_string(k));
    arrange(game, c);
    const tree own_before = own_files(game);
    EXPECT_TRUE(patch(game, c.command, k).killed);
    expect_own_files_kept(game, c, own_before);
    if (c.without_backup) {
      // Only the upgraded live bundle holds the stock bytes: it stays whole,
      // and the restore, run again, puts the stock bundle back.
      EXPECT_TRUE(file_bytes(game + "/Common/character.amb") == old_bundle ||
                  file_bytes(game + "/Common/character.amb") == make_demo_stock_bundle());
      EXPECT_EQ(patch(game, "restore", 0).status, 0);
      EXPECT_EQ(file_bytes(game + "/Common/character.amb"), make_demo_stock_bundle());
    } else {
      expect_bundle_whole(read_state(game), old_bundle, new_bundle);
    }
    // A model folder unpacked by the killed run is missing or complete.
    if (old_model.empty()) {
      const tree model = model_folder(game);
      EXPECT_TRUE(model.empty() || model == upgraded_model) << "model folder half made";
    }
    // Whatever the crash left, an upgrade now succeeds and is complete.
    EXPECT_EQ(patch(game, "upgrade", 0).status, 0);
    EXPECT_EQ(model_folder(game), upgraded_model);
    EXPECT_FALSE(fs::exists(game + "/pmodel.vantor-tmp"));
    const auto after = read_state(game);
    // After a restore the next upgrade reinstalls what was there before it.
    EXPECT_EQ(after.bundle, std::string(c.command) == "upgrade" ? new_bundle : old_bundle);
    EXPECT_EQ(after.backup, make_demo_stock_bundle());
    expect_own_files_kept(game, c, own_before);
    fs::remove_all(game);
    fs::remove_all(game + "-own");
    if (::testing::Test::HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, KilledAtEveryOperation,
                         ::testing::Values(crash_case{"first_upgrade", "upgrade", 0},
                                           crash_case{"second_upgrade", "upgrade", 1},
                                           crash_case{"restore", "restore", 1},
                                           crash_case{"restore_without_backup", "restore", 1, true},
                                           crash_case{"linked_first_upgrade", "upgrade", 0, false, true},
                                           crash_case{"linked_restore", "restore", 1, false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

// Kills at random moments rather than at file operations: in the middle of
// a write, a rename or the hashing.
TEST(KilledAtRandomMoments, LeavesTheGameRecoverable) {
  testing::temp_folder dir;
  const std::string reference = dir / "reference";
  write_demo(reference);
  const byte_string old_bundle = file_bytes(reference + "/Common/character.amb");
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(patch(reference, "upgrade", 0).status, 0);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
  const byte_string new_bundle = file_bytes(reference + "/Common/character.amb");

  std::mt19937 generator(2026);
  std::uniform_int_distribution<long> delay(0, std::max<long>(took.count(), 1000));
  for (int run = 0; run < 120; ++run) {
    SCOPED_TRACE(::testing::Message() << "run " << run);
    const std::string game = dir / "game";
    write_demo(game);
    const pid_t child = ::fork();
    if (child == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::execl(VANTOR_CRASHTEST_BINARY, VANTOR_CRASHTEST_BINARY, "--game", game.c_str(), "upgrade", nullptr);
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay(generator)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    expect_bundle_whole(read_state(game), old_bundle, new_bundle);
    EXPECT_EQ(patch(game, "upgrade", 0).status, 0);
    EXPECT_EQ(read_state(game).bundle, new_bundle);
    fs::remove_all(game);
    if (::testing::Test::HasFailure()) return;
  }
}

// A model package of 3000 entries without folder entries, some folders named
// in two letter cases, in place of the demo's.
void put_large_model_package(const std::string& path) {
  zip_writer zip(path);
  ASSERT_TRUE(zip.add(file_item("P0.POS", "packaged pose")));
  for (int i = 0; i < 3000; ++i) {
    const std::string folder = (i % 2 ? "Set" : "set") + std::to_string(i % 30);
    ASSERT_TRUE(zip.add(file_item(folder + "/part" + std::to_string(i) + ".msh",
                                  std::string(static_cast<std::size_t>(64 + i % 200), 'm'))));
  }
  ASSERT_TRUE(zip.close());
}

TEST(KilledDuringALargeExtraction, LeavesNoModelFolderOrTheCompleteOne) {
  testing::temp_folder dir;
  const std::string package = dir / "pmodel.pak";
  put_large_model_package(package);
  const std::string reference = dir / "reference";
  write_demo(reference);
  fs::copy_file(package, reference + "/pmodel.pak", fs::copy_options::overwrite_existing);
  const long operations = count_operations(reference, "upgrade");
  const tree complete = model_folder(reference);
  ASSERT_EQ(complete.size(), 1u + 30u + 3000u);

  constexpr long kills = 6;
  for (long i = 1; i <= kills; ++i) {
    const long k = operations * i / (kills + 1);
    SCOPED_TRACE(::testing::Message() << "killed at operation " << k << " of " << operations);
    const std::string game = dir / "game";
    write_demo(game);
    fs::copy_file(package, game + "/pmodel.pak", fs::copy_options::overwrite_existing);
    EXPECT_TRUE(patch(game, "upgrade", k).killed);
    const tree model = model_folder(game);
    EXPECT_TRUE(model.empty() || model == complete) << "model folder with " << model.size() << " entries";
    EXPECT_EQ(patch(game, "upgrade", 0).status, 0);
    EXPECT_EQ(model_folder(game), complete);
    EXPECT_FALSE(fs::exists(game + "/pmodel.vantor-tmp"));
    fs::remove_all(game);
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(FullDisk, FileSizeLimitsWhileUnpackingLeaveNoModelFolder) {
  testing::temp_folder dir;
  upgraded_reference(dir / "reference");
  const tree complete = model_folder(dir / "reference");

  int failures = 0;
  // The package's P0.POS is 292574 bytes, the new one a little longer.
  for (const rlim_t limit : {rlim_t{1000}, rlim_t{100000}, rlim_t{200000}, rlim_t{292600}}) {
    SCOPED_TRACE(::testing::Message() << "file size limit " << limit);
    const std::string game = dir / ("game" + std::to_string(limit));
    write_demo(game);
    const game_state before = read_state(game);
    const int status = patch(game, "upgrade", 0, limit).status;
    EXPECT_TRUE(status == 0 || status == 1) << status;
    if (status == 0) {
      EXPECT_EQ(model_folder(game), complete);
    } else {
      ++failures;
      EXPECT_TRUE(model_folder(game).empty()) << "a failed upgrade left a model folder";
      EXPECT_EQ(read_state(game).bundle, before.bundle);
      EXPECT_EQ(read_state(game).action, before.action);
    }
    // Space again: the next upgrade unpacks the whole package.
    EXPECT_EQ(patch(game, "upgrade", 0).status, 0);
    EXPECT_EQ(model_folder(game), complete);
  }
  EXPECT_EQ(failures, 4) << "every limit is below a file the upgrade writes";
}

TEST(FullDisk, FileSizeLimitsNeverLeaveAHalfUpgrade) {
  testing::temp_folder dir;
  const game_state upgraded = upgraded_reference(dir / "reference");

  int failures = 0;
  for (const rlim_t limit :
       {rlim_t{1000}, rlim_t{8000}, rlim_t{65536}, rlim_t{70000}, rlim_t{200000}, rlim_t{400000}}) {
    SCOPED_TRACE(::testing::Message() << "file size limit " << limit);
    const std::string game = dir / ("game" + std::to_string(limit));
    write_demo(game);
    ASSERT_TRUE(put_original_model_folder(game));  // extracted files would hit the limit first
    const game_state before = read_state(game);
    const int status = patch(game, "upgrade", 0, limit).status;
    failures += expect_all_or_nothing(status, before, read_state(game), upgraded);
    EXPECT_EQ(patch(game, "upgrade", 0).status, 0);
    EXPECT_EQ(read_state(game).bundle, upgraded.bundle);
  }
  EXPECT_GT(failures, 0) << "no limit was low enough to make the upgrade fail";
}

TEST(FullDisk, SmallFileSystemsNeverLeaveAHalfUpgrade) {
  testing::temp_folder dir;
  const std::string probe = dir / "probe";
  fs::create_directory(probe);
  if (::mount("tmpfs", probe.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "this machine does not allow mounting a tmpfs";
  ::umount(probe.c_str());

  const game_state upgraded = upgraded_reference(dir / "reference");

  int failures = 0;
  for (const int kilobytes : {520, 560, 640, 720, 900, 1200}) {
    SCOPED_TRACE(::testing::Message() << "tmpfs of " << kilobytes << " KB");
    const std::string mount_point = dir / ("disk" + std::to_string(kilobytes));
    fs::create_directory(mount_point);
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    ASSERT_EQ(::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, options.c_str()), 0);
    const std::string game = mount_point + "/game";
    std::string error;
    if (make_demo_folder(game, error) == demo_result::written && put_original_model_folder(game)) {
      const game_state before = read_state(game);
      const int status = patch(game, "upgrade", 0).status;
      failures += expect_all_or_nothing(status, before, read_state(game), upgraded);
    }
    ::umount(mount_point.c_str());
  }
  EXPECT_GT(failures, 0) << "no file system was small enough to make the upgrade fail";
}

}  // namespace
}  // namespace vantor
