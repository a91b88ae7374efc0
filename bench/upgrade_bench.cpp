// A whole upgrade on a bundle of the real stock size with 1 MB of new frames,
// against hashing the stock prefix alone and against xdelta3 applying the
// equivalent VCDIFF patch to the same files, in the same run; and the heap
// the upgrade needs at its peak, against the bundle size.
//
// The game folder lies in /dev/shm when there is one, so the figures are the
// program's own work, not the disk's; set VANTOR_BENCH_DIR to measure on
// another file system.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <random>
#include <string>

#include "ratio_reporter.h"
#include "services/bytes.h"
#include "services/digest.h"
#include "services/little_endian.h"
#include "workflow/ports.h"
#include "workflow/session.h"

extern char** environ;

// --- heap accounting ------------------------------------------------------------

namespace {
std::atomic<std::size_t> heap_now{0};
std::atomic<std::size_t> heap_peak{0};

void* counted_allocation(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  const std::size_t now = heap_now += malloc_usable_size(block);
  std::size_t peak = heap_peak.load();
  while (now > peak && !heap_peak.compare_exchange_weak(peak, now)) {
  }
  return block;
}

void counted_release(void* block) {
  if (block == nullptr) return;
  heap_now -= malloc_usable_size(block);
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) { return counted_allocation(size); }
void* operator new[](std::size_t size) { return counted_allocation(size); }
void operator delete(void* block) noexcept { counted_release(block); }
void operator delete[](void* block) noexcept { counted_release(block); }
void operator delete(void* block, std::size_t) noexcept { counted_release(block); }
void operator delete[](void* block, std::size_t) noexcept { counted_release(block); }

namespace {

namespace fs = std::filesystem;
using vantor::byte_string;

constexpr std::size_t stock_length = 11908599;
constexpr std::size_t new_frames_length = 1 << 20;

struct quiet_messages final : vantor::message_port {
  void show_message(std::string_view) override {}
  vantor::session_ports ports() { return {*this}; }
};

// Runs a program found on the search path; its exit status.
int run_program(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void put(const fs::path& path, const byte_string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct bench_game {
  fs::path root;
  byte_string stock;
  byte_string frames;  // new.amb.out
  std::string digest;

  bench_game() {
    const char* chosen = std::getenv("VANTOR_BENCH_DIR");
    const fs::path base = chosen                   ? fs::path(chosen)
                          : fs::exists("/dev/shm") ? fs::path("/dev/shm")
                                                   : fs::temp_directory_path();
    root = base / ("vantor-upgrade-bench-" + std::to_string(::getpid()));
    stock.resize(stock_length);
    std::mt19937 generator(3);
    for (auto& b : stock) b = static_cast<std::uint8_t>(generator());
    vantor::store_le32(stock.data() + vantor::game_stock_identity.count_offset,
                       vantor::game_stock_identity.stock_count);
    digest = vantor::md5_text_digest(stock);
    frames.resize(new_frames_length + 4);
    for (auto& b : frames) b = static_cast<std::uint8_t>(generator());
    vantor::store_le32(frames.data() + new_frames_length, 1000);
    put(root / "Vantor.exe", {'M', 'Z'});
    put(root / "pmodel" / "P0.POS", {'p'});
    put(root / "Common" / "character.act", {'a'});
    put(root / "updatefile" / "p0.pos", byte_string(300000, 'p'));
    put(root / "updatefile" / "character.act", byte_string(7000, 'a'));
    put(root / "updatefile" / "new.amb.out", frames);
    reset();
  }
  ~bench_game() { fs::remove_all(root); }

  // Back to a stock game without a backup.
  void reset() {
    fs::remove(root / "Common" / "原始动画备份.amb");
    put(root / "Common" / "character.amb", stock);
  }

  vantor::stock_identity identity() const {
    return {static_cast<std::int32_t>(stock_length), digest, vantor::game_stock_identity.count_offset,
            vantor::game_stock_identity.stock_count};
  }
};

bench_game& game() {
  static bench_game instance;
  return instance;
}

void hash_prefix_reference(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(vantor::md5_text_digest(game().stock));
}

void upgrade_again(benchmark::State& state) {
  quiet_messages ports;
  vantor::patch_session session(ports.ports(), game().identity());
  session.start_session(game().root.string());
  if (!session.run_upgrade()) state.SkipWithError("upgrade failed");
  for (auto _ : state) {
    if (!session.run_upgrade()) state.SkipWithError("upgrade failed");
  }
}

// xdelta3 making the upgraded bundle from the stock one with a patch built
// here: no digest, no backup, no flush. The upgrade must not be slower.
void xdelta3_apply(benchmark::State& state) {
  const fs::path root = game().root;
  const fs::path source = root / "xdelta-source.amb", target = root / "xdelta-target.amb";
  const fs::path patch = root / "xdelta.vcdiff", output = root / "xdelta-out.amb";
  byte_string upgraded = game().stock;
  upgraded.insert(upgraded.end(), game().frames.begin(), game().frames.end() - 4);
  vantor::store_le32(upgraded.data() + vantor::game_stock_identity.count_offset,
                     vantor::game_stock_identity.stock_count + 1000);
  put(source, game().stock);
  put(target, upgraded);
  if (run_program({"xdelta3", "-e", "-f", "-s", source.string(), target.string(), patch.string()}) != 0) {
    state.SkipWithError("xdelta3 is missing or cannot make the patch");
    return;
  }
  for (auto _ : state) {
    if (run_program({"xdelta3", "-d", "-f", "-s", source.string(), patch.string(), output.string()}) != 0)
      state.SkipWithError("xdelta3 failed");
  }
  for (const auto& path : {source, target, patch, output}) fs::remove(path);
}

void first_upgrade(benchmark::State& state) {
  quiet_messages ports;
  vantor::patch_session session(ports.ports(), game().identity());
  session.start_session(game().root.string());
  for (auto _ : state) {
    state.PauseTiming();
    game().reset();
    state.ResumeTiming();
    if (!session.run_upgrade()) state.SkipWithError("upgrade failed");
  }
}

// Heap in use at the peak of one first upgrade, beyond what the session held
// before it.
void upgrade_peak_heap(benchmark::State& state) {
  quiet_messages ports;
  vantor::patch_session session(ports.ports(), game().identity());
  session.start_session(game().root.string());
  double ratio = 0;
  for (auto _ : state) {
    state.PauseTiming();
    game().reset();
    const std::size_t before = heap_now.load();
    heap_peak = before;
    state.ResumeTiming();
    session.run_upgrade();
    ratio = static_cast<double>(heap_peak.load() - before) / static_cast<double>(stock_length);
  }
  state.counters["peak_heap_per_bundle"] = ratio;
}

BENCHMARK(hash_prefix_reference)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(upgrade_again)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(xdelta3_apply)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(first_upgrade)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(upgrade_peak_heap)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  return vantor::bench::run_with_summary(argc, argv, [](const vantor::bench::ratio_reporter& results) {
    using vantor::bench::ratio_reporter;
    const double reference = results.time_of("hash_prefix_reference");
    ratio_reporter::print("upgrade from the backup / MD5 of the prefix", results.time_of("upgrade_again") / reference,
                          "goal <= 1.15");
    ratio_reporter::print("upgrade from the backup / xdelta3 -d -s",
                          results.time_of("upgrade_again") / results.time_of("xdelta3_apply"), "goal <= 1.0");
    ratio_reporter::print("first upgrade (backup written and read back) / MD5 of the prefix",
                          results.time_of("first_upgrade") / reference, "the backup is written once");
    ratio_reporter::print("peak heap of an upgrade / bundle size",
                          results.counter("upgrade_peak_heap.peak_heap_per_bundle"), "goal <= 1.5");
  });
}
