#pragma once
// Steps of a command that overlap the hashing of a bundle's prefix: the
// hashing runs on its own thread, so the files that do not depend on its
// verdict are prepared meanwhile instead of after it.

#include <functional>
#include <utility>
#include <vector>

namespace vantor {

/// A list of steps, each run exactly once: by the prover when its own
/// writing is done and only the hashing is left, or by the command after the
/// proof at the latest (when the prover never got that far).
class overlapping_work {
 public:
  explicit overlapping_work(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {}

  /// Runs the steps that have not run yet.
  void run() {
    for (auto& step : steps_) std::exchange(step, nullptr)();
    steps_.clear();
  }

 private:
  std::vector<std::function<void()>> steps_;
};

}  // namespace vantor
