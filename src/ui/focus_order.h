#pragma once
// The order in which Tab walks the units.

#include <string_view>
#include <vector>

#include "ui/window_definition.h"

namespace vantor {

/// The names of the units that take the focus, in Tab order: by focus-order
/// number ascending, units with equal numbers in reverse stored order.
std::vector<std::string_view> focus_chain(const window_definition& window);

/// The unit Tab (forward) or Shift+Tab (backward) moves to from current,
/// wrapping around at either end; empty when current is not in the chain.
std::string_view next_in_focus_chain(const std::vector<std::string_view>& chain, std::string_view current,
                                     bool forward);

}  // namespace vantor
