#pragma once
// Small pictures made byte by byte for the picture box tests: bitmaps,
// icons and cursors of solid colours, and a two-frame animated GIF.

#include <cstdint>
#include <vector>

#include "services/values.h"

namespace vantor::testing {

struct rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

/// A 24-bit BMP file, width × height; the left half in left, the right
/// half in right.
byte_string bitmap_file(std::int32_t width, std::int32_t height, rgb left, rgb right);

/// An icon file (type 1) or cursor file (type 2) holding one square 32-bit
/// image of each given size, each a solid colour.
struct icon_image {
  std::int32_t size = 0;
  rgb colour;
};
byte_string icon_file(std::uint16_t type, const std::vector<icon_image>& images);

/// An 8 × 6 GIF89a that loops forever over a red and a blue frame, each
/// shown 0.2 s.
byte_string two_frame_gif();

}  // namespace vantor::testing
