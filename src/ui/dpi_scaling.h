#pragma once
// The window's pixel geometry at the screen's dots per inch. At 96 DPI
// (100 %) every size is the stored one; at other settings positions, sizes
// and label fonts grow by DPI / 96, the way the desktop's own dialogs grow.

#include <cstdint>

#include "ui/window_definition.h"

namespace vantor {

/// value × dpi / 96, rounded to the nearest pixel (halves away from zero,
/// as the desktop's MulDiv rounds).
std::int32_t scale_for_dpi(std::int32_t value, std::int32_t dpi);

/// The definition with its outer size, its units' places and sizes and its
/// label fonts scaled to dpi; the same definition at 96.
window_definition scaled_definition(const window_definition& window, std::int32_t dpi);

}  // namespace vantor
