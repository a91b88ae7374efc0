#include "services/archive_progress.h"

namespace vantor {

std::int32_t progress_percentage(std::int32_t done, std::int32_t total) {
  if (total == 0) return 100;
  return static_cast<std::int32_t>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

void report_to_component(std::int32_t done, std::int32_t total, const std::string&, extraction_state& state) {
  const archive_component* owner = state.owner;
  if (owner == nullptr || !owner->exists()) return;
  const std::optional<bool> answer = owner->raise_progress(progress_percentage(done, total));
  // The handler may have destroyed the window; a gone component stops nothing.
  if (answer.has_value() && !*answer && owner->exists()) state.stop_requested = true;
}

}  // namespace vantor
