#include "services/staged_entry.h"

#include <utility>

#include "platform/files.h"

namespace vantor {

staged_entry::staged_entry(staged_entry&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      pending_(std::exchange(other.pending_, false)),
      in_place_(std::exchange(other.in_place_, false)),
      remove_(other.remove_) {}

staged_entry& staged_entry::operator=(staged_entry&& other) noexcept {
  if (this != &other) {
    discard();
    target_ = std::move(other.target_);
    temporary_ = std::move(other.temporary_);
    pending_ = std::exchange(other.pending_, false);
    in_place_ = std::exchange(other.in_place_, false);
    remove_ = other.remove_;
  }
  return *this;
}

status staged_entry::make_name_durable() const { return platform::flush_folder(platform::parent_folder(temporary_)); }

void staged_entry::discard() {
  if (!pending_) return;
  pending_ = false;
  (void)remove_(temporary_);
}

status staged_entry::commit() {
  if (!pending_) return failure{os_error::not_found, temporary_};
  if (status renamed = platform::rename_over(temporary_, target_); !renamed) {
    // The temporary stays until the owner lets it go (or keeps it).
    // Told as a failure on the file the temporary stands for, which is the
    // one the player knows (and the one another program holds).
    failure why = renamed.error();
    why.path = target_;
    return why;
  }
  pending_ = false;
  in_place_ = true;
  return platform::flush_folder(platform::parent_folder(target_));
}

}  // namespace vantor
