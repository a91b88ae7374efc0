#pragma once
// The value model shared by every part of the program.
//
// A text is a run of bytes (UTF-8 on Linux) and a byte string a run of bytes
// that may hold zeros. Both are plain values: an empty one stands for the
// missing value, so "missing" and "empty" never need to be told apart.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

using text = std::string;
using byte_string = std::vector<std::uint8_t>;

/// Compares two texts byte by byte, each byte unsigned, up to the first zero
/// byte of either. Returns -1, 0 or 1; a proper prefix compares smaller.
int compare_texts(std::string_view a, std::string_view b);

}  // namespace vantor
