#include "ui/win32/win32_layout.h"

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

}  // namespace vantor
