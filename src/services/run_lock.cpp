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

std::optional<std::string> run_lock::in_the_way(std::string_view game_folder) {
  const std::string_view name = platform::folder_lock_file_name();
  if (name.empty()) return std::nullopt;
  const std::string path = platform::join_path(game_folder, name);
  switch (platform::kind_of(path)) {
    case platform::entry_kind::none:
      return std::nullopt;
    case platform::entry_kind::file: {
      // A lock file left behind is taken over; a read-only one cannot be.
      const auto permissions = platform::permissions_of(path);
      if (permissions && !platform::is_writable(*permissions)) return path;
      return std::nullopt;
    }
    default:
      return path;
  }
}

run_lock::run_lock(std::unique_ptr<held> lock) : lock_(std::move(lock)) {}
run_lock::run_lock(run_lock&&) noexcept = default;
run_lock& run_lock::operator=(run_lock&&) noexcept = default;
run_lock::~run_lock() = default;

}  // namespace vantor
