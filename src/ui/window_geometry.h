#pragma once
// Where the window goes and how big its client area is. The frame around
// the client area belongs to the desktop, so its size arrives from outside.

#include <cstdint>

#include "ui/window_definition.h"

namespace vantor {

struct window_point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const window_point&, const window_point&) = default;
};

struct window_size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const window_size&, const window_size&) = default;
};

/// The widths of the frame around the client area.
struct frame_extents {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

/// Top-left corner of the outer window centred on a screen: (screen - outer)
/// / 2 in integer division, so a screen smaller than the window gives a
/// position left of or above the screen's origin.
window_point centred_origin(window_size screen, window_size outer);

/// The smallest client area that holds every visible unit at its stored
/// position.
window_size units_extent(const window_definition& window);

/// The client area that makes the outer size the stored one inside the given
/// frame, but never smaller than the units need.
window_size client_size(const window_definition& window, frame_extents frame);

}  // namespace vantor
