#include "stored_times.h"

#ifdef _WIN32
#include <windows.h>

#include "support/native_path.h"
#else
#include <sys/stat.h>
#endif

namespace vantor::archive_test {

#ifdef _WIN32

std::optional<stored_times> stored_times_of(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(testing::native_path(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  // 100-nanosecond ticks since 1601-01-01.
  const auto seconds = [](FILETIME time) {
    const auto ticks = static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
    return ticks / 10'000'000 - 11'644'473'600;
  };
  return stored_times{seconds(data.ftLastAccessTime), seconds(data.ftLastWriteTime)};
}

#else

std::optional<stored_times> stored_times_of(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return stored_times{info.st_atim.tv_sec, info.st_mtim.tv_sec};
}

#endif

}  // namespace vantor::archive_test
