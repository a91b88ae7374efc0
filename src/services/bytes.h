#pragma once
// Byte-string operations. Positions given to them count from 1.

#include <cstdint>
#include <initializer_list>
#include <span>

#include "services/values.h"

namespace vantor {

/// A borrowed view of bytes, for the pieces of a join or a write.
using byte_view = std::span<const std::uint8_t>;

/// The first n bytes of data; the whole of it when n is larger, empty when
/// n is 0 or negative.
byte_string left_bytes(const byte_string& data, std::int32_t n);

/// The number of bytes, as the 32-bit count the rest of the program uses.
std::int32_t byte_length(const byte_string& data);

/// The pieces one after the other.
byte_string join_bytes(std::initializer_list<byte_view> pieces);

/// Kinds of number that read_value_at understands; the codes are the ones
/// callers pass.
enum class value_kind : int { int32 = 3 };

/// Reads a number of the given kind at a 1-based position. A position before
/// the start or past the end gives 0; when fewer bytes than the value needs
/// remain, the ones present are the low-order bytes and the rest are zero.
typed_value read_value_at(const byte_string& data, value_kind kind, std::int32_t position);

/// Stores value as 4 bytes at out, least significant first.
void store_le32(std::uint8_t* out, std::int32_t value);

}  // namespace vantor
