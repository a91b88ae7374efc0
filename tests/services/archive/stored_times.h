#pragma once
// The access and modification times the system keeps for a file, in whole
// seconds since 1970-01-01 UTC, read without opening the file (which may
// change its access time).

#include <cstdint>
#include <optional>
#include <string>

namespace vantor::archive_test {

struct stored_times {
  std::int64_t access = 0;
  std::int64_t modification = 0;
};

/// None when nothing is at the path.
std::optional<stored_times> stored_times_of(const std::string& path);

}  // namespace vantor::archive_test
