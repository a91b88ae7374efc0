// pack on a modded game whose bundle is the real stock size followed by
// 150 MB of new frames, against copying that bundle and hashing it once, in
// the same run. pack reads the bundle, writes the package, installs it on a
// stock game and compares every file; the goal is at most twice the copy.
//
// The game lies in /dev/shm when there is one, so the figures are the
// program's own work, not the disk's; set VANTOR_BENCH_DIR to measure on
// another file system.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "ratio_reporter.h"
#include "services/digest.h"
#include "services/little_endian.h"
#include "workflow/pack.h"

namespace {

namespace fs = std::filesystem;
using vantor::byte_string;

constexpr std::size_t stock_length = 11908599;
constexpr std::size_t new_frames_length = std::size_t{150} << 20;
constexpr std::int32_t new_frames = 39;

void put(const fs::path& path, const byte_string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct modded_game {
  fs::path base;
  fs::path root;
  std::string digest;

  modded_game() {
    const char* chosen = std::getenv("VANTOR_BENCH_DIR");
    base = (chosen                   ? fs::path(chosen)
            : fs::exists("/dev/shm") ? fs::path("/dev/shm")
                                     : fs::temp_directory_path()) /
           ("vantor-pack-bench-" + std::to_string(::getpid()));
    root = base / "game";
    byte_string stock(stock_length);
    std::mt19937 generator(5);
    for (auto& b : stock) b = static_cast<std::uint8_t>(generator());
    vantor::store_le32(stock.data() + vantor::game_stock_identity.count_offset,
                       vantor::game_stock_identity.stock_count);
    digest = vantor::md5_text_digest(stock);
    put(root / "Common" / "原始动画备份.amb", stock);
    vantor::store_le32(stock.data() + vantor::game_stock_identity.count_offset,
                       vantor::game_stock_identity.stock_count + new_frames);
    // The bundle written a piece at a time: the frames never sit in memory whole.
    std::ofstream out(root / "Common" / "character.amb", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(stock.data()), static_cast<std::streamsize>(stock.size()));
    byte_string piece(std::size_t{1} << 20);
    for (std::size_t done = 0; done < new_frames_length; done += piece.size()) {
      for (auto& b : piece) b = static_cast<std::uint8_t>(generator());
      out.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
    }
    out.close();
    put(root / "Common" / "character.act", byte_string(7000, 'a'));
    put(root / "pmodel" / "P0.POS", byte_string(300000, 'p'));
    byte_string mesh(4 << 20);
    for (auto& b : mesh) b = static_cast<std::uint8_t>(generator() % 16);
    put(root / "pmodel" / "mesh" / "hero.msh", mesh);
    put(root / "Vantor.exe", {'M', 'Z'});
  }
  ~modded_game() { fs::remove_all(base); }

  vantor::stock_identity identity() const {
    return {static_cast<std::int32_t>(stock_length), digest, vantor::game_stock_identity.count_offset,
            vantor::game_stock_identity.stock_count};
  }
};

modded_game& game() {
  static modded_game instance;
  return instance;
}

// The reference: the bundle copied to another file and hashed once, in the
// pieces the program reads.
void copy_and_hash_reference(benchmark::State& state) {
  const fs::path from = game().root / "Common" / "character.amb", to = game().base / "copy.amb";
  byte_string piece(std::size_t{1} << 20);
  for (auto _ : state) {
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    vantor::md5 hash;
    for (ssize_t got; (got = ::read(in, piece.data(), piece.size())) > 0;) {
      hash.update(std::span(piece).first(static_cast<std::size_t>(got)));
      if (::write(out, piece.data(), static_cast<std::size_t>(got)) != got) state.SkipWithError("write failed");
    }
    benchmark::DoNotOptimize(hash.finish());
    ::close(in);
    ::close(out);
  }
  fs::remove(to);
}

void pack(benchmark::State& state) {
  vantor::pack_request request;
  request.game_folder = game().root.string();
  request.out_folder = (game().base / "package").string();
  request.identity = game().identity();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(request.out_folder);
    state.ResumeTiming();
    if (!vantor::make_update_package(request).made) state.SkipWithError("pack failed");
  }
  fs::remove_all(request.out_folder);
}

BENCHMARK(copy_and_hash_reference)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(pack)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  return vantor::bench::run_with_summary(argc, argv, [](const vantor::bench::ratio_reporter& results) {
    vantor::bench::ratio_reporter::print("pack of 150 MB of new frames / copying the bundle and hashing it once",
                                         results.time_of("pack") / results.time_of("copy_and_hash_reference"),
                                         "goal <= 2");
  });
}
