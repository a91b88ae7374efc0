#pragma once
// Byte-string operations.

#include <cstdint>
#include <initializer_list>
#include <span>

#include "services/values.h"

namespace vantor {

/// A borrowed view of bytes, for the pieces of a join or a write.
using byte_view = std::span<const std::uint8_t>;

/// The pieces one after the other.
byte_string join_bytes(std::initializer_list<byte_view> pieces);

}  // namespace vantor
