#include "services/run_lock.h"

#include "platform/files.h"

namespace vantor {

struct run_lock::held {
  platform::folder_lock lock;
};

outcome<run_lock> run_lock::take(std::string_view game_folder, std::chrono::milliseconds wait) {
  auto lock = platform::lock_folder(game_folder, wait);
  if (!lock) return lock.error();
  return run_lock(std::make_unique<held>(held{std::move(*lock)}));
}

run_lock::run_lock(std::unique_ptr<held> lock) : lock_(std::move(lock)) {}
run_lock::run_lock(run_lock&&) noexcept = default;
run_lock& run_lock::operator=(run_lock&&) noexcept = default;
run_lock::~run_lock() = default;

}  // namespace vantor
