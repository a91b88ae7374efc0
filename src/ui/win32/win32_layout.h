#pragma once
// The table's values in the desktop's terms: colours as COLORREFs, and the
// window's pixel geometry at the screen's dots per inch.
//
// The program declares itself aware of the system's DPI (its manifest), so
// Windows does not stretch it into a blur. At 96 DPI (100 %) every size is
// the stored one; at other settings positions, sizes and label fonts grow
// by DPI / 96, the way the desktop's own dialogs grow.

#include <windows.h>

#include <cstdint>

#include "ui/window_definition.h"

namespace vantor {

/// A stored colour on this desktop (the button face from the system).
COLORREF to_colorref(const colour& stored);

/// The system's dots per inch (96 at 100 %).
std::int32_t system_dpi();

/// value × dpi / 96, rounded to the nearest pixel.
std::int32_t scale_for_dpi(std::int32_t value, std::int32_t dpi);

/// The definition with its outer size, its units' places and sizes and its
/// label fonts scaled to dpi; the same definition at 96.
window_definition scaled_definition(const window_definition& window, std::int32_t dpi);

}  // namespace vantor
