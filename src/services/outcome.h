#pragma once
// Results that say why they failed. Every file operation of the program,
// from the platform layer up, returns one of these instead of a bare
// true/false or an empty value, so the reason reaches whoever reports it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace vantor {

/// What went wrong, in the program's own words. The platform maps its own
/// error codes onto these.
enum class failure_kind : std::uint8_t {
  not_found,         ///< nothing at the path, or a folder on the way is missing
  exists,            ///< something is already at a path that must be new
  not_a_file,        ///< a folder, link, device or pipe where a file belongs
  no_space,          ///< the disk or a size limit is full
  no_permission,     ///< access denied, or a read-only file system
  in_use,            ///< another program holds the file (Windows sharing)
  io_error,          ///< the device failed
  name_refused,      ///< the name cannot be used on this system (too long, invalid)
  too_large,         ///< the file is larger than the program handles in one piece
  missing_or_empty,  ///< a file the command needs is missing or holds nothing
  too_short,         ///< a file is shorter than its format needs
  modified,          ///< a bundle is not the stock one
  bad_frame_count,   ///< the frame package's count does not fit its frames
  busy,              ///< another run holds the game folder
  changed,           ///< a file changed since the program read it
  damaged,           ///< an archive's records or data are broken (a checksum or size that does not match)
  other,             ///< anything the platform did not say more about
};

/// Why an operation failed, and on which path (empty when no path applies).
struct failure {
  failure_kind kind = failure_kind::other;
  std::string path;

  friend bool operator==(const failure&, const failure&) = default;
};

/// The kind in plain words, as the end of a sentence about a path:
/// "is missing", "is in use by another program", ...
std::string_view describe(failure_kind kind);

/// The failure as a sentence: its path, relative to folder when it lies
/// inside it, and its kind ("Common/character.amb is in use by another
/// program"); the kind alone when there is no path.
std::string describe(const failure& why, std::string_view folder);

/// A value, or the failure that kept it from being made.
template <typename T>
class [[nodiscard]] outcome {
 public:
  outcome(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  outcome(failure why) : state_(std::in_place_index<1>, std::move(why)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  /// The value, or the given one when this failed.
  T value_or(T fallback) && { return ok() ? std::move(value()) : std::move(fallback); }

  const failure& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, failure> state_;
};

/// Success, or the failure of an operation that makes no value.
class [[nodiscard]] status {
 public:
  status() = default;
  status(failure why) : failure_(std::move(why)) {}

  bool ok() const { return !failure_.has_value(); }
  explicit operator bool() const { return ok(); }
  const failure& error() const { return *failure_; }

 private:
  std::optional<failure> failure_;
};

}  // namespace vantor
