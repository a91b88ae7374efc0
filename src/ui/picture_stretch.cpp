#include "ui/picture_stretch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace vantor {

namespace {

struct tap {
  std::size_t index = 0;
  float weight = 0;
};

// For each of the new positions along one axis, the old positions it takes
// and their weights (adding up to 1).
std::vector<std::vector<tap>> axis_taps(std::int32_t from, std::int32_t to) {
  std::vector<std::vector<tap>> taps(static_cast<std::size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (std::int32_t i = 0; i < to; ++i) {
    std::vector<tap>& these = taps[static_cast<std::size_t>(i)];
    if (to <= from) {
      // Shrinking: the share of each old pixel in the span [i, i + 1) covers.
      const double begin = i * step;
      const double end = (i + 1) * step;
      for (auto k = static_cast<std::int32_t>(begin); k < from && k < end; ++k) {
        const double covered = std::min<double>(end, k + 1) - std::max<double>(begin, k);
        if (covered > 0) these.push_back({static_cast<std::size_t>(k), static_cast<float>(covered / step)});
      }
    } else {
      // Growing: between the two old pixel centres around the new centre.
      const double centre = std::clamp((i + 0.5) * step - 0.5, 0.0, static_cast<double>(from - 1));
      const auto left = static_cast<std::int32_t>(centre);
      const double right_share = centre - left;
      these.push_back({static_cast<std::size_t>(left), static_cast<float>(1 - right_share)});
      if (right_share > 0 && left + 1 < from)
        these.push_back({static_cast<std::size_t>(left + 1), static_cast<float>(right_share)});
    }
  }
  return taps;
}

using channels = std::array<float, 4>;

channels channels_of(std::uint32_t pixel) {
  return {static_cast<float>(pixel & 0xFF), static_cast<float>((pixel >> 8) & 0xFF),
          static_cast<float>((pixel >> 16) & 0xFF), static_cast<float>(pixel >> 24)};
}

std::uint32_t pixel_of(const channels& sum) {
  std::uint32_t pixel = 0;
  for (std::size_t c = 0; c < 4; ++c) {
    const auto value = static_cast<std::uint32_t>(std::clamp(std::lround(sum[c]), 0L, 255L));
    pixel |= value << (8 * c);
  }
  return pixel;
}

}  // namespace

std::vector<std::uint32_t> stretch_pixels(std::span<const std::uint32_t> pixels, std::int32_t width,
                                          std::int32_t height, std::int32_t new_width, std::int32_t new_height) {
  if (width <= 0 || height <= 0 || new_width <= 0 || new_height <= 0 ||
      pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return {};
  }
  const auto across = axis_taps(width, new_width);
  const auto down = axis_taps(height, new_height);
  const auto old_w = static_cast<std::size_t>(width);
  const auto new_w = static_cast<std::size_t>(new_width);

  // Rows first, into the new width; then columns, into the new height.
  std::vector<channels> rows(new_w * static_cast<std::size_t>(height));
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    for (std::size_t x = 0; x < new_w; ++x) {
      channels sum{};
      for (const tap& t : across[x]) {
        const channels c = channels_of(pixels[y * old_w + t.index]);
        for (std::size_t k = 0; k < 4; ++k) sum[k] += c[k] * t.weight;
      }
      rows[y * new_w + x] = sum;
    }
  }
  std::vector<std::uint32_t> stretched(new_w * static_cast<std::size_t>(new_height));
  for (std::size_t y = 0; y < static_cast<std::size_t>(new_height); ++y) {
    for (std::size_t x = 0; x < new_w; ++x) {
      channels sum{};
      for (const tap& t : down[y]) {
        const channels& c = rows[t.index * new_w + x];
        for (std::size_t k = 0; k < 4; ++k) sum[k] += c[k] * t.weight;
      }
      stretched[y * new_w + x] = pixel_of(sum);
    }
  }
  return stretched;
}

}  // namespace vantor
