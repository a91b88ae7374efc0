#pragma once

#include <QIcon>

namespace vantor {

/// The program's own icon, for the title bar and the taskbar.
QIcon application_icon();

}  // namespace vantor
