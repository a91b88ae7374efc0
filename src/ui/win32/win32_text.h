#pragma once
// Texts read back from the desktop's windows.

#include <windows.h>

#include <string>

namespace vantor {

/// A window's text (a caption, an edit box's contents) as UTF-8.
std::string window_text(HWND window);

}  // namespace vantor
