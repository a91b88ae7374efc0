#pragma once
// What identifies the stock animation bundle. The real values are the
// default; tests and the demo build pass their own for small bundles.

#include <cstdint>
#include <string_view>

namespace vantor {

struct stock_identity {
  /// Length of the stock prefix whose digest proves a bundle is the stock one.
  std::int32_t prefix_length = 11908599;
  /// MD5 of the stock prefix, 32 lower-case hexadecimal digits.
  std::string_view digest = "98dcc63299001defdf33e974bb55a06f";
  /// Byte offset of the 32-bit little-endian frame count field.
  std::int32_t count_offset = 13;
  /// Frames in the stock bundle; new frames are numbered from here.
  std::int32_t stock_count = 17061;
};

/// The identity of the game's own bundle.
inline constexpr stock_identity game_stock_identity{};

}  // namespace vantor
