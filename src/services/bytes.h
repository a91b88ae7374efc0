#pragma once
// Borrowed views of bytes.

#include <cstdint>
#include <span>

#include "services/values.h"

namespace vantor {

/// A borrowed view of bytes, for the pieces of a join or a write.
using byte_view = std::span<const std::uint8_t>;

}  // namespace vantor
