#pragma once

#include <ctime>

namespace vantor::bench {

/// The monotonic clock in nanoseconds; the same clock in every process.
inline long long monotonic_nanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace vantor::bench
