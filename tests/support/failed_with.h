#pragma once
// The kind a result failed with, for comparing in one expectation: none on
// success, so that an unexpected success or failure both print plainly.

#include <optional>

#include "platform/outcome.h"

namespace vantor::testing {

inline std::optional<failure_kind> failed_with(const status& result) {
  if (result) return std::nullopt;
  return result.error().kind;
}

template <typename T>
std::optional<failure_kind> failed_with(const outcome<T>& result) {
  if (result) return std::nullopt;
  return result.error().kind;
}

}  // namespace vantor::testing
