#pragma once
// Stretching a picture to a box of any size, width and height
// independently: each box pixel averages the picture pixels it covers when
// the picture shrinks, and blends its two nearest neighbours when it grows.
// Pixels are 32-bit premultiplied BGRA, rows top to bottom.

#include <cstdint>
#include <span>
#include <vector>

namespace vantor {

std::vector<std::uint32_t> stretch_pixels(std::span<const std::uint32_t> pixels, std::int32_t width,
                                          std::int32_t height, std::int32_t new_width, std::int32_t new_height);

}  // namespace vantor
