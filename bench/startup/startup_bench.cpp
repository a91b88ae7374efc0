// Start-up to the window shown: the patcher in the demo game with a real
// update package (cover JPEG, GBK description, 1 MiB of new frames) against a
// Qt Widgets program that shows one empty window, and, for scale, against
// the same empty window with one line of Chinese text. All run as fresh
// processes on the offscreen platform, in turn, in the same run; each
// reports the moment its first paint is done, and the time counts from just
// before the spawn.
//
//   vantor_bench_startup [runs]

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "demo_folder.h"
#include "monotonic_clock.h"
#include "services/bytes.h"
#include "services/little_endian.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct start_up {
  double milliseconds = -1;  ///< from the spawn to "shown"; negative on failure
  double peak_mb = 0;        ///< the process's peak resident size
};

start_up time_to_shown(const std::string& program, const std::vector<std::string>& arguments) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const long long start = vantor::bench::monotonic_nanoseconds();
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  if (spawned != 0) {
    close(pipe_ends[0]);
    return {};
  }
  std::string output;
  char buffer[256];
  for (ssize_t got; (got = read(pipe_ends[0], buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipe_ends[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const auto found = output.find("shown ");
  if (found == std::string::npos || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  const long long shown = std::atoll(output.c_str() + found + 6);
  return {static_cast<double>(shown - start) / 1e6, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

bool put_file(const fs::path& path, const vantor::byte_string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

// Made-up frame data, then the count of frames.
vantor::byte_string frame_package(std::size_t frame_bytes, std::int32_t count) {
  vantor::byte_string package(frame_bytes + 4);
  std::uint32_t state = 0x2545f491u;
  for (std::size_t i = 0; i < frame_bytes; ++i) {
    state = state * 1664525u + 1013904223u;
    package[i] = static_cast<std::uint8_t>(state >> 24);
  }
  vantor::store_le32(package.data() + frame_bytes, count);
  return package;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 41;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);

  // The demo game, its update package carrying 1 MiB of new frames.
  const fs::path game = fs::temp_directory_path() / ("vantor-startup-" + std::to_string(getpid()));
  std::string error;
  if (vantor::make_demo_folder(game.string(), error) != vantor::demo_result::written ||
      !put_file(game / "updatefile" / "new.amb.out", frame_package(1024 * 1024, 39))) {
    std::fprintf(stderr, "cannot write the game folder %s %s\n", game.c_str(), error.c_str());
    return 1;
  }

  const std::string minimal = VANTOR_BENCH_MINIMAL_WINDOW;
  const std::string label = VANTOR_BENCH_LABEL_WINDOW;
  const std::string patcher = VANTOR_BENCH_PATCHER_WINDOW;
  // The same game with 150 MB of new frames, for the window's memory: it
  // must not grow with the package. Written in pieces, so this program stays
  // small (a child's peak memory starts from its parent's size).
  const fs::path large_game = fs::temp_directory_path() / ("vantor-startup-large-" + std::to_string(getpid()));
  if (vantor::make_demo_folder(large_game.string(), error) != vantor::demo_result::written) return 1;
  {
    std::ofstream out(large_game / "updatefile" / "new.amb.out", std::ios::binary | std::ios::trunc);
    const vantor::byte_string piece = frame_package(std::size_t{1} << 20, 0);
    for (int i = 0; i < 150; ++i) out.write(reinterpret_cast<const char*>(piece.data()), 1 << 20);
    std::uint8_t count[4];
    vantor::store_le32(count, 39);
    out.write(reinterpret_cast<const char*>(count), 4);
  }

  std::vector<double> minimal_times;
  std::vector<double> label_times;
  std::vector<double> patcher_times;
  std::vector<double> minimal_peaks;
  std::vector<double> large_peaks;
  for (int i = -3; i < runs; ++i) {  // three rounds to warm the caches
    const start_up empty = time_to_shown(minimal, {});
    const start_up one_line = time_to_shown(label, {});
    const start_up patcher_run = time_to_shown(patcher, {game.string()});
    const start_up large_run = time_to_shown(patcher, {large_game.string()});
    const double a = empty.milliseconds, b = one_line.milliseconds, c = patcher_run.milliseconds;
    if (a < 0 || b < 0 || c < 0 || large_run.milliseconds < 0) {
      std::fprintf(stderr, "a program did not report its window\n");
      fs::remove_all(game);
      return 1;
    }
    if (i >= 0) {
      minimal_peaks.push_back(empty.peak_mb);
      large_peaks.push_back(large_run.peak_mb);
      minimal_times.push_back(a);
      label_times.push_back(b);
      patcher_times.push_back(c);
    }
  }
  fs::remove_all(game);
  fs::remove_all(large_game);

  const double reference = median(minimal_times);
  const double with_text = median(label_times);
  const double ours = median(patcher_times);
  std::printf("start-up to window shown, median of %d runs (offscreen)\n", runs);
  std::printf("  empty Qt Widgets window:        %8.2f ms\n", reference);
  std::printf("  empty window, one Chinese line: %8.2f ms\n", with_text);
  std::printf("  vantor-patcher window:          %8.2f ms (cover JPEG, description, 1 MB new frames)\n", ours);
  std::printf("ratio to the empty window: %.2f (budget 1.30)\n", ours / reference);
  std::printf("ratio to the one-line window: %.2f\n", ours / with_text);
  std::printf(
      "peak memory, window with 150 MB of new frames above the empty window: %.1f MB (goal <= 16; %.1f MB vs %.1f "
      "MB)\n",
      median(large_peaks) - median(minimal_peaks), median(large_peaks), median(minimal_peaks));
  return 0;
}
