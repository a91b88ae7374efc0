// The desktop's side of the window's pixel geometry: the screen's DPI and
// the rounding of the scaling.

#include <gtest/gtest.h>

#include "ui/win32/win32_layout.h"

namespace vantor {
namespace {

// The scaling is ui/dpi_scaling (tested on every system); here it rounds
// the way the desktop's own MulDiv does.
TEST(ScaleForDpi, RoundsAsTheDesktopDoes) {
  for (const std::int32_t dpi : {72, 96, 120, 144, 168, 192, 240}) {
    for (std::int32_t value = -300; value <= 800; ++value) {
      ASSERT_EQ(scale_for_dpi(value, dpi), ::MulDiv(value, dpi, 96)) << value << " at " << dpi << " dpi";
    }
  }
}

TEST(SystemDpi, IsWhatTheScreenReports) {
  HDC screen = ::GetDC(nullptr);
  EXPECT_EQ(system_dpi(), ::GetDeviceCaps(screen, LOGPIXELSY));
  ::ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace vantor
