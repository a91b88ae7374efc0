#pragma once
// Results that say why they failed. Every operation of the program that can
// fail, from the platform layer up, returns one of these instead of a bare
// true/false or an empty value, so the reason reaches whoever reports it.
//
// A failure's kind belongs to the floor that found it: the platform has the
// operating system's kinds (platform/system_error.h), the services theirs
// (a file too short, an archive damaged), the workflow its refusals (a
// bundle that is not the stock one). Each floor declares an enum and its
// category beside it; this carrier knows none of their words.

#include <concepts>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

namespace vantor {

/// The words of one floor: says what each of its kinds means.
class failure_category {
 public:
  /// The floor's name, for test output ("system", "archive", ...).
  virtual std::string_view name() const = 0;
  /// The kind in plain words, as the end of a sentence about a path: "is
  /// missing", "is in use by another program", ...
  virtual std::string_view describe(int value) const = 0;

 protected:
  ~failure_category() = default;
};

/// The category of a floor's enum, from the floor's name and a function that
/// gives each kind its words. A floor's category_of returns one of these.
template <typename E, std::string_view (*words)(E)>
class worded_category final : public failure_category {
 public:
  explicit constexpr worded_category(std::string_view floor) : floor_(floor) {}
  std::string_view name() const override { return floor_; }
  std::string_view describe(int value) const override { return words(static_cast<E>(value)); }

 private:
  std::string_view floor_;
};

/// An enum is a kind of failure when its floor gives it a category through
/// an overload of category_of, found beside the enum.
template <typename E>
concept failure_enum = std::is_enum_v<E> && requires(E kind) {
  { category_of(kind) } -> std::same_as<const failure_category&>;
};

/// One kind of failure of any floor: its floor's category and its value.
class failure_kind {
 public:
  template <failure_enum E>
  failure_kind(E kind) : category_(&category_of(kind)), value_(static_cast<int>(kind)) {}

  const failure_category& category() const { return *category_; }
  int value() const { return value_; }

  friend bool operator==(const failure_kind&, const failure_kind&) = default;
  template <failure_enum E>
  friend bool operator==(const failure_kind& kind, E other) {
    return kind == failure_kind(other);
  }

 private:
  const failure_category* category_;
  int value_;
};

/// Why an operation failed, and on which path (empty when no path applies).
/// The system's own error code (errno, GetLastError) comes along when the
/// platform had one; it is detail for the reader, not part of the identity.
struct failure {
  failure_kind kind;
  std::string path;
  std::int32_t native_code = 0;

  friend bool operator==(const failure& a, const failure& b) { return a.kind == b.kind && a.path == b.path; }
};

/// The kind in plain words ("is missing").
std::string_view describe(failure_kind kind);

/// The failure as a sentence: its path (printable), relative to folder when
/// it lies inside it, and its kind ("Common/character.amb is in use by another
/// program"); the kind alone when there is no path. A failure the system
/// said nothing more about names the system's own code and text.
std::string describe(const failure& why, std::string_view folder);

/// A path inside the folder relative to it, as the player sees it; any
/// other path as it is.
std::string_view path_in_folder(std::string_view path, std::string_view folder);

/// A text that came from outside (an entry's name, a folder's path, the
/// system's words) made safe to show on one line: control characters (C0,
/// DEL, C1), the line and paragraph separators and the bidirectional
/// overrides and isolates (U+202A-U+202E, U+2066-U+2069) become escapes
/// ("\x1b", "\u202e"), as does every byte that is not UTF-8, so the text
/// can neither move a terminal's cursor, recolour it, start a line of its
/// own nor reorder what follows it. Everything else, Chinese included, is
/// kept.
std::string printable(std::string_view text);

std::ostream& operator<<(std::ostream& out, const failure_kind& kind);
std::ostream& operator<<(std::ostream& out, const failure& why);

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
