// The upgrade benchmark's first ratio without Google Benchmark, so it also
// runs as a Windows program under Wine: a whole upgrade from the backup on a
// bundle of the real stock size with 1 MB of new frames, against hashing the
// stock prefix alone, in the same run (medians of repeated runs).
//
//   vantor_bench_upgrade_ratio [runs]
//
// Under Wine the file system is Wine's, not Windows': the figure shows the
// program's overhead there, not what a player's disk would give.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "services/digest.h"
#include "services/little_endian.h"
#include "workflow/ports.h"
#include "workflow/session.h"

namespace {

namespace fs = std::filesystem;
using vantor::byte_string;

constexpr std::size_t stock_length = 11908599;
constexpr std::size_t new_frames_length = 1 << 20;

struct quiet_messages final : vantor::message_port {
  void show_message(std::string_view) override {}
};

void put(const fs::path& path, const byte_string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename work>
double milliseconds_of(work run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
  const fs::path root = fs::temp_directory_path() / "vantor-upgrade-ratio";
  fs::remove_all(root);

  byte_string stock(stock_length);
  std::mt19937 generator(3);
  for (auto& b : stock) b = static_cast<std::uint8_t>(generator());
  vantor::store_le32(stock.data() + vantor::game_stock_identity.count_offset, vantor::game_stock_identity.stock_count);
  byte_string frames(new_frames_length + 4);
  for (auto& b : frames) b = static_cast<std::uint8_t>(generator());
  vantor::store_le32(frames.data() + new_frames_length, 1000);
  put(root / "Vantor.exe", {'M', 'Z'});
  put(root / "pmodel" / "P0.POS", {'p'});
  put(root / "Common" / "character.act", {'a'});
  put(root / "Common" / "character.amb", stock);
  put(root / "updatefile" / "p0.pos", byte_string(300000, 'p'));
  put(root / "updatefile" / "character.act", byte_string(7000, 'a'));
  put(root / "updatefile" / "new.amb.out", frames);

  const std::string digest = vantor::md5_text_digest(stock);
  const vantor::stock_identity identity{static_cast<std::int32_t>(stock_length), digest,
                                        vantor::game_stock_identity.count_offset,
                                        vantor::game_stock_identity.stock_count};
  quiet_messages messages;
  vantor::patch_session session(vantor::session_ports{messages}, identity);
  const std::u8string folder = root.u8string();
  if (!session.start_session(std::string(folder.begin(), folder.end())) || !session.run_upgrade()) {
    std::fprintf(stderr, "the first upgrade failed\n");
    for (const auto& why : session.reasons()) std::fprintf(stderr, "reason: %s\n", vantor::describe(why, {}).c_str());
    return 1;
  }
  std::vector<double> hashing, upgrading;
  for (int i = -2; i < runs; ++i) {  // two rounds to warm the caches
    const double hash = milliseconds_of([&] { (void)vantor::md5_text_digest(stock); });
    bool upgraded = false;
    const double upgrade = milliseconds_of([&] { upgraded = session.run_upgrade(); });
    if (!upgraded) {
      std::fprintf(stderr, "an upgrade failed\n");
      return 1;
    }
    if (i < 0) continue;
    hashing.push_back(hash);
    upgrading.push_back(upgrade);
  }
  fs::remove_all(root);
  std::printf("MD5 of the prefix: %.2f ms, upgrade from the backup: %.2f ms (medians of %d runs)\n", median(hashing),
              median(upgrading), runs);
  std::printf("upgrade from the backup / MD5 of the prefix: %.3f\n", median(upgrading) / median(hashing));
  return 0;
}
