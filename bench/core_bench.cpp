// Speed of the core services against references measured in the same run:
// our MD5 against OpenSSL's over the stock prefix length, and
// read_whole_file against a plain read() loop into one buffer.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "services/digest.h"
#include "services/files.h"

namespace {

constexpr std::size_t stock_prefix_length = 11908599;
constexpr std::size_t large_file_length = 12 * 1024 * 1024;

const vantor::byte_string& prefix_bytes() {
  static const vantor::byte_string bytes = [] {
    vantor::byte_string data(stock_prefix_length);
    std::mt19937 generator(42);
    for (auto& b : data) b = static_cast<std::uint8_t>(generator());
    return data;
  }();
  return bytes;
}

void md5_ours(benchmark::State& state) {
  const auto& data = prefix_bytes();
  for (auto _ : state) benchmark::DoNotOptimize(vantor::md5_text_digest(data));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}

void md5_openssl(benchmark::State& state) {
  const auto& data = prefix_bytes();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  for (auto _ : state) {
    EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}

const std::string& large_file() {
  static const std::string path = [] {
    std::string name = (std::filesystem::temp_directory_path() / "vantor-bench-XXXXXX").string();
    const int fd = ::mkstemp(name.data());
    ::close(fd);
    std::ofstream out(name, std::ios::binary);
    const auto& data = prefix_bytes();
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(large_file_length - data.size()));
    std::atexit([] { std::remove(large_file().c_str()); });
    return name;
  }();
  return path;
}

void read_whole_file_ours(benchmark::State& state) {
  const auto& path = large_file();
  for (auto _ : state) benchmark::DoNotOptimize(vantor::read_whole_file(path));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(large_file_length));
}

void read_loop_reference(benchmark::State& state) {
  const auto& path = large_file();
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<char> buffer(large_file_length);
    std::size_t filled = 0;
    while (filled < buffer.size()) {
      const auto got = ::read(fd, buffer.data() + filled, buffer.size() - filled);
      if (got <= 0) break;
      filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(large_file_length));
}

BENCHMARK(md5_ours)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(md5_openssl)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(read_whole_file_ours)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(read_loop_reference)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  return vantor::bench::run_with_summary(argc, argv, [](const vantor::bench::ratio_reporter& results) {
    // Throughput of ours over OpenSSL's is the inverse ratio of their times.
    vantor::bench::ratio_reporter::print("MD5 throughput, ours / OpenSSL",
                                         results.time_of("md5_openssl") / results.time_of("md5_ours"), "goal >= 0.95");
    vantor::bench::ratio_reporter::print(
        "read_whole_file time / plain read() loop",
        results.time_of("read_whole_file_ours") / results.time_of("read_loop_reference"), "goal <= 1.2");
  });
}
