// Speed of unpack_archive against Info-ZIP's `unzip -q`, measured in the
// same run on the same archive, for two model packages built at start in a
// temporary folder and removed at the end:
//
// - about 100 MB holding a few hundred deflated entries in a handful of
//   folders (the time goes into inflating, checking and writing data);
// - 100 000 entries of 100 bytes in 100 folders, without folder entries, as
//   ordinary tools write them (the time goes into making files; an
//   extraction whose time grows with the square of the entries shows here).
//
// - 10 000 small entries made durable file by file as on Windows, on a
//   modelled disk whose every flush takes 2 ms: the flushes must not hold
//   up the unpacking.
//
// Each iteration extracts into a fresh empty folder with both, one after
// the other, after the disk has settled (sync), so neither pays for the
// other's writes; the time reported is ours, with unzip's time, the ratio
// and the peak memory as counters.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fault_hook.h"
#include "platform/tree_flusher.h"
#include "services/archive/archive.h"
#include "zip_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int folder_count = 10;
constexpr int files_per_folder = 30;
constexpr std::size_t file_size = 560 * 1024;  // deflates to about 58%, so the archive is about 100 MB

constexpr int many_entries = 100'000;
constexpr int many_folders = 100;
constexpr std::size_t small_file_size = 100;

struct package {
  fs::path folder;
  fs::path archive;
  int entries = 0;
};

fs::path temporary_folder() {
  std::string pattern = (fs::temp_directory_path() / "vantor-archive-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

// Animation-like data: a slowly drifting signal with noise, which deflates
// to a little over half its size (not a run of zeros, not white noise).
void fill_entry(std::vector<std::uint8_t>& data, std::uint64_t seed) {
  std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
  std::uint8_t level = 0;
  for (auto& byte : data) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    if ((state & 0xFFF) == 0) level = static_cast<std::uint8_t>(level + ((state >> 12) & 1 ? 1 : -1));
    byte = static_cast<std::uint8_t>(level + ((state >> 20) & 0x0F));
  }
}

package build_package() {
  package built;
  built.folder = temporary_folder();
  built.archive = built.folder / "pmodel.pak";

  vantor::zip_writer zip(built.archive.string());
  vantor::zip_item entry;
  entry.data.resize(file_size);
  const auto add = [&](const vantor::zip_item& item) {
    if (!zip.add(item)) throw std::runtime_error("cannot add " + item.name);
    ++built.entries;
  };
  for (int f = 0; f < folder_count; ++f) {
    const std::string folder = "set" + std::to_string(f) + "/";
    add(vantor::folder_item(folder));
    for (int i = 0; i < files_per_folder; ++i) {
      fill_entry(entry.data, static_cast<std::uint64_t>(f * files_per_folder + i));
      entry.name = folder + "P" + std::to_string(i) + ".POS";
      add(entry);
    }
  }
  if (!zip.close()) throw std::runtime_error("cannot close the archive");
  return built;
}

package build_small_entries_package(int count) {
  package built;
  built.folder = temporary_folder();
  built.archive = built.folder / "pmodel.pak";

  vantor::zip_writer zip(built.archive.string());
  vantor::zip_item entry;
  entry.data.resize(small_file_size);
  for (int i = 0; i < count; ++i) {
    fill_entry(entry.data, static_cast<std::uint64_t>(i));
    entry.name = "part" + std::to_string(i % many_folders) + "/m" + std::to_string(i) + ".msh";
    if (!zip.add(entry)) throw std::runtime_error("cannot add " + entry.name);
    ++built.entries;
  }
  if (!zip.close()) throw std::runtime_error("cannot close the archive");
  return built;
}

const package& model_package() {
  static const package built = build_package();
  return built;
}

const package& many_entries_package() {
  static const package built = build_small_entries_package(many_entries);
  return built;
}

const package& ten_thousand_entries_package() {
  static const package built = build_small_entries_package(10'000);
  return built;
}

std::uintmax_t bytes_below(const fs::path& folder) {
  std::uintmax_t total = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) total += entry.file_size();
  return total;
}

fs::path fresh_folder(const fs::path& path) {
  fs::remove_all(path);
  fs::create_directory(path);
  return path;
}

// Lets the disk write out what earlier steps left in memory, so the next
// timed extraction does not pay for them.
void settle() { ::sync(); }

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double peak_memory_mb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void extract_against_unzip(benchmark::State& state, const package& pack, const char* label) {
  const fs::path ours = pack.folder / "ours";
  const fs::path theirs = pack.folder / "unzip";
  const std::string unzip_command = "unzip -q '" + pack.archive.string() + "' -d '" + theirs.string() + "'";
  const double memory_before = peak_memory_mb();

  double ours_total = 0;
  double unzip_total = 0;
  for (auto _ : state) {
    fresh_folder(theirs);
    fresh_folder(ours);
    settle();
    auto start = std::chrono::steady_clock::now();
    const int unzip_status = std::system(unzip_command.c_str());
    const double unzip_seconds = seconds_since(start);

    settle();
    start = std::chrono::steady_clock::now();
    const vantor::status result = vantor::unpack_archive(pack.archive.string(), ours.string());
    const double ours_seconds = seconds_since(start);

    if (unzip_status != 0 || !result) {
      state.SkipWithError("an extraction failed");
      break;
    }
    state.SetIterationTime(ours_seconds);
    ours_total += ours_seconds;
    unzip_total += unzip_seconds;
  }
  if (unzip_total <= 0) return;
  if (bytes_below(ours) != bytes_below(theirs)) state.SkipWithError("the two extractions differ");

  const double iterations = static_cast<double>(state.iterations());
  const double ratio = ours_total / unzip_total;
  state.counters["unzip_ms"] = unzip_total / iterations * 1000.0;
  state.counters["ratio"] = ratio;
  state.counters["archive_MB"] = static_cast<double>(fs::file_size(pack.archive)) / 1e6;
  state.counters["entries"] = pack.entries;
  state.counters["peak_memory_growth_MB"] = peak_memory_mb() - memory_before;
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes_below(ours)));
  std::printf(
      "%s: unpack_archive / unzip -q = %.2f (ours %.0f ms, unzip %.0f ms per run, %d entries, %.1f MB archive)\n",
      label, ratio, ours_total / iterations * 1000.0, unzip_total / iterations * 1000.0, pack.entries,
      static_cast<double>(fs::file_size(pack.archive)) / 1e6);
  fs::remove_all(ours);
  fs::remove_all(theirs);
}

// Goal: at most 0.8.
void extract_100_mb_against_unzip(benchmark::State& state) { extract_against_unzip(state, model_package(), "100 MB"); }

// Goal: at most 1.5.
void extract_100000_entries_against_unzip(benchmark::State& state) {
  extract_against_unzip(state, many_entries_package(), "100 000 entries");
}

// A disk whose every flush takes 2 ms (a journal commit on many real
// disks), modelled with the fault switch.
class slow_flushes final : public vantor::platform::fault_hook {
 public:
  slow_flushes() { vantor::platform::set_fault_hook(this); }
  ~slow_flushes() override { vantor::platform::set_fault_hook(nullptr); }
  vantor::platform::fault before(vantor::platform::operation op, std::string_view, std::string_view) override {
    vantor::platform::fault answer;
    if (op == vantor::platform::operation::flush) answer.delay = std::chrono::milliseconds(2);
    return answer;
  }
};

// Unpacks into a fresh folder and makes it durable file by file, as on
// Windows: with the files handed to the flusher as they are done, or (as
// before) all flushed after the unpacking.
double unpack_durably(const package& pack, const fs::path& into, bool while_unpacking) {
  fresh_folder(into);
  settle();
  const auto start = std::chrono::steady_clock::now();
  vantor::platform::tree_flusher flusher(into.string(), vantor::platform::tree_flusher::method::each_file);
  vantor::platform::tree_flusher* handed = while_unpacking ? &flusher : nullptr;
  if (!vantor::unpack_archive(pack.archive.string(), into.string(), {}, handed)) return -1;
  if (!flusher.finish()) return -1;
  return seconds_since(start);
}

// Goal: at most 1.2 (each flush 2 ms; 10 000 of them would add 20 s if
// the unpacking waited for them).
void unpack_10000_entries_with_slow_flushes(benchmark::State& state) {
  const package& pack = ten_thousand_entries_package();
  const fs::path into = pack.folder / "out";
  double fast_total = 0;
  double slow_total = 0;
  double after_total = 0;
  for (auto _ : state) {
    const double fast = unpack_durably(pack, into, true);
    double slow = 0;
    double after = 0;
    {
      slow_flushes disk;
      slow = unpack_durably(pack, into, true);
      after = unpack_durably(pack, into, false);
    }
    if (fast < 0 || slow < 0 || after < 0) {
      state.SkipWithError("an extraction failed");
      break;
    }
    state.SetIterationTime(slow);
    fast_total += fast;
    slow_total += slow;
    after_total += after;
  }
  if (fast_total <= 0) return;
  state.counters["ratio"] = slow_total / fast_total;
  state.counters["flushed_after_ratio"] = after_total / fast_total;
  const double iterations = static_cast<double>(state.iterations());
  std::printf(
      "10 000 entries, 2 ms flushes: flushed while unpacking / without the delay = %.2f (%.0f ms / %.0f ms); "
      "flushed after unpacking = %.2f (%.0f ms)\n",
      slow_total / fast_total, slow_total / iterations * 1000.0, fast_total / iterations * 1000.0,
      after_total / fast_total, after_total / iterations * 1000.0);
  fs::remove_all(into);
}

BENCHMARK(extract_100_mb_against_unzip)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(unpack_10000_entries_with_slow_flushes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(extract_100000_entries_against_unzip)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  model_package();  // built before any timing
  many_entries_package();
  ten_thousand_entries_package();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(model_package().folder, ignored);
  fs::remove_all(many_entries_package().folder, ignored);
  fs::remove_all(ten_thousand_entries_package().folder, ignored);
  return 0;
}
