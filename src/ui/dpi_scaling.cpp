#include "ui/dpi_scaling.h"

#include <variant>

namespace vantor {

std::int32_t scale_for_dpi(std::int32_t value, std::int32_t dpi) {
  const std::int64_t product = static_cast<std::int64_t>(value) * dpi;
  const std::int64_t magnitude = ((product < 0 ? -product : product) + 48) / 96;
  return static_cast<std::int32_t>(product < 0 ? -magnitude : magnitude);
}

window_definition scaled_definition(const window_definition& window, std::int32_t dpi) {
  window_definition scaled = window;
  if (dpi == 96) return scaled;
  const auto scale = [dpi](std::int32_t value) { return scale_for_dpi(value, dpi); };
  scaled.outer_width = scale(window.outer_width);
  scaled.outer_height = scale(window.outer_height);
  for (unit_definition& unit : scaled.units) {
    unit.left = scale(unit.left);
    unit.top = scale(unit.top);
    unit.width = scale(unit.width);
    unit.height = scale(unit.height);
    if (auto* label = std::get_if<label_properties>(&unit.properties)) {
      label->font.character_height = scale(label->font.character_height);
    }
  }
  return scaled;
}

}  // namespace vantor
