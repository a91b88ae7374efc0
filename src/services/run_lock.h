#pragma once
// One run at a time per game folder: an upgrade or a restore holds the game
// folder's lock from its cleanup to its end.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/outcome.h"

namespace vantor {

/// How long a second run waits for the first before it gives up.
inline constexpr std::chrono::milliseconds run_lock_wait{3000};

class run_lock {
 public:
  /// Takes the lock of the game folder, waiting at most `wait` for a run
  /// that holds it; fails as busy when that run does not end in time.
  static outcome<run_lock> take(std::string_view game_folder, std::chrono::milliseconds wait = run_lock_wait);
  /// Where the system keeps the lock in a file of the game folder (Windows)
  /// and something else stands at its name (a folder, a read-only file, a
  /// link), that entry's path: it keeps every run from taking the lock.
  static std::optional<std::string> in_the_way(std::string_view game_folder);

  run_lock(run_lock&&) noexcept;
  run_lock& operator=(run_lock&&) noexcept;
  ~run_lock();

 private:
  struct held;
  explicit run_lock(std::unique_ptr<held> lock);
  std::unique_ptr<held> lock_;
};

}  // namespace vantor
