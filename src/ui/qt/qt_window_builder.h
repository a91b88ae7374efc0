#pragma once
// Builds a Qt window from a stored window definition: one generic pass over
// the units and the event bindings, whatever the window holds.

#include <memory>

#include "ui/qt/qt_window.h"
#include "ui/window_definition.h"

namespace vantor {

/// The window and its units, hidden, with the units marked visible shown
/// inside it and the bound events wired to the window's event sink. Null
/// when the definition cannot be built.
std::unique_ptr<qt_window> build_window(const window_definition& definition);

}  // namespace vantor
