#pragma once
// What the program hands to the player's desktop: text for a console and
// addresses for the browser.

#include <cstdio>
#include <string_view>

#include "platform/outcome.h"
#include "platform/system_error.h"

namespace vantor::platform {

/// Writes UTF-8 text to a standard stream: to a Windows console as wide
/// text, so Chinese reads right on every code page; anywhere else as the
/// UTF-8 bytes themselves, without line-end translation. False when the
/// text could not be written.
bool write_text(std::FILE* stream, std::string_view text);

/// Opens an address (a web page) with the desktop's own opener, without
/// waiting for it: xdg-open on Linux. Asks the fault hook first.
status open_address(std::string_view address);

}  // namespace vantor::platform
