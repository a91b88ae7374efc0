// The command-line patcher as a process on a demo game whose update package
// carries 150 MB of new frames, against the same program doing nothing and
// against a package of 1 MB, in the same run: the peak memory of an upgrade
// and of `status`, and the time of `status`; and the peak memory of `pack`
// on the upgraded game. Memory is the whole process's
// peak resident size, as the system reports it.
//
//   vantor_bench_package [runs]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "demo_folder.h"
#include "services/little_endian.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct measured {
  int status = -1;
  double milliseconds = 0;
  double peak_mb = 0;
};

measured run(const std::vector<std::string>& words) {
  std::vector<std::string> copy = words;
  std::vector<char*> argv;
  for (auto& word : copy) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  measured result;
  if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) return result;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  result.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return result;
}

bool write_game(const fs::path& game, std::size_t frame_bytes) {
  std::string error;
  if (vantor::make_demo_folder(game.string(), error) != vantor::demo_result::written) return false;
  // Written in small pieces: a child's peak memory starts from its parent's
  // size at the moment it is started, so this program must stay small.
  std::ofstream out(game / "updatefile" / "new.amb.out", std::ios::binary | std::ios::trunc);
  std::vector<std::uint8_t> piece(std::size_t{1} << 20);
  std::uint32_t state = 0x2545f491u;
  for (std::size_t done = 0; done < frame_bytes; done += piece.size()) {
    for (auto& byte : piece) {
      state = state * 1664525u + 1013904223u;
      byte = static_cast<std::uint8_t>(state >> 24);
    }
    out.write(reinterpret_cast<const char*>(piece.data()),
              static_cast<std::streamsize>(std::min(piece.size(), frame_bytes - done)));
  }
  std::uint8_t count[4];
  vantor::store_le32(count, 39);
  out.write(reinterpret_cast<const char*>(count), 4);
  return static_cast<bool>(out);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const std::string patch = VANTOR_BENCH_PATCH;
  const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  const fs::path large = base / ("vantor-package-large-" + std::to_string(getpid()));
  const fs::path small = base / ("vantor-package-small-" + std::to_string(getpid()));
  // Upgrades go to a third copy, so the two games status reads stay alike.
  const fs::path upgraded = base / ("vantor-package-upgraded-" + std::to_string(getpid()));
  if (!write_game(large, std::size_t{150} << 20) || !write_game(small, std::size_t{1} << 20) ||
      !write_game(upgraded, std::size_t{150} << 20)) {
    std::fprintf(stderr, "cannot write the demo games\n");
    return 1;
  }

  std::vector<double> empty_mb, status_large_ms, status_small_ms, status_large_mb, upgrade_mb, pack_mb;
  const fs::path packed = base / ("vantor-package-packed-" + std::to_string(getpid()));
  for (int i = -1; i < runs; ++i) {  // one round to warm the caches
    const measured empty = run({patch, "--version"});
    const measured status_large = run({patch, "--game", large.string(), "status"});
    const measured status_small = run({patch, "--game", small.string(), "status"});
    const measured upgrade = run({patch, "--game", upgraded.string(), "upgrade"});
    // The upgraded game is a modded game: packed again into a new folder.
    fs::remove_all(packed);
    const measured pack = run({patch, "pack", "--from", upgraded.string(), "--out", packed.string()});
    if (empty.status != 0 || status_large.status != 0 || status_small.status != 0 || upgrade.status != 0 ||
        pack.status != 0) {
      std::fprintf(stderr, "a run failed\n");
      return 1;
    }
    if (i < 0) continue;
    empty_mb.push_back(empty.peak_mb);
    status_large_ms.push_back(status_large.milliseconds);
    status_small_ms.push_back(status_small.milliseconds);
    status_large_mb.push_back(status_large.peak_mb);
    upgrade_mb.push_back(upgrade.peak_mb);
    pack_mb.push_back(pack.peak_mb);
  }
  fs::remove_all(packed);
  fs::remove_all(large);
  fs::remove_all(small);
  fs::remove_all(upgraded);

  std::printf("vantor-patch-demo on a demo game, median of %d runs\n", runs);
  std::printf("  empty program (--version):  %6.1f MB peak\n", median(empty_mb));
  std::printf("  status, 150 MB package:     %6.1f MB peak, %6.2f ms\n", median(status_large_mb),
              median(status_large_ms));
  std::printf("  status, 1 MB package:                      %6.2f ms\n", median(status_small_ms));
  std::printf("  upgrade, 150 MB package:    %6.1f MB peak\n", median(upgrade_mb));
  std::printf("  pack, 150 MB of frames:     %6.1f MB peak\n", median(pack_mb));
  std::printf("peak memory of an upgrade with 150 MB of frames: %.1f MB (goal <= 32)\n", median(upgrade_mb));
  std::printf("peak memory of pack with 150 MB of frames: %.1f MB (goal <= 32)\n", median(pack_mb));
  std::printf("peak memory of status above the empty program: %.1f MB (goal <= 16)\n",
              median(status_large_mb) - median(empty_mb));
  std::printf("status with 150 MB / status with 1 MB: %.3f (goal <= 1.2)\n",
              median(status_large_ms) / median(status_small_ms));
  return 0;
}
