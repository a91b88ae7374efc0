#include "ui/window_geometry.h"

#include <algorithm>

namespace vantor {

window_point centred_origin(window_size screen, window_size outer) {
  return {(screen.width - outer.width) / 2, (screen.height - outer.height) / 2};
}

window_size units_extent(const window_definition& window) {
  window_size extent;
  for (const unit_definition& unit : window.units) {
    if (!unit.visible) continue;
    extent.width = std::max(extent.width, unit.left + unit.width);
    extent.height = std::max(extent.height, unit.top + unit.height);
  }
  return extent;
}

window_size client_size(const window_definition& window, frame_extents frame) {
  const window_size needed = units_extent(window);
  return {std::max(needed.width, window.outer_width - frame.left - frame.right),
          std::max(needed.height, window.outer_height - frame.top - frame.bottom)};
}

}  // namespace vantor
