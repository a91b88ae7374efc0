#pragma once
// The table's values in the desktop's terms: colours as COLORREFs and the
// screen's dots per inch (the scaling itself is ui/dpi_scaling.h).
//
// The program declares itself aware of the system's DPI (its manifest), so
// Windows does not stretch it into a blur.

#include <windows.h>

#include <cstdint>

#include "ui/dpi_scaling.h"
#include "ui/window_definition.h"

namespace vantor {

/// A stored colour on this desktop (the button face from the system).
COLORREF to_colorref(const colour& stored);

/// The system's dots per inch (96 at 100 %).
std::int32_t system_dpi();

}  // namespace vantor
