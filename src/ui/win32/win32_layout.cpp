#include "ui/win32/win32_layout.h"

#include <variant>

namespace vantor {

COLORREF to_colorref(const colour& stored) {
  if (stored.button_face) return ::GetSysColor(COLOR_BTNFACE);
  return RGB(stored.value.red, stored.value.green, stored.value.blue);
}

std::int32_t system_dpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

std::int32_t scale_for_dpi(std::int32_t value, std::int32_t dpi) { return ::MulDiv(value, dpi, 96); }

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
