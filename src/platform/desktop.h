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

/// Whether a standard stream is a terminal (a Windows console) that a
/// person watches, not a file or a pipe.
bool is_terminal(std::FILE* stream);

/// Opens an address (a web page) with the desktop's own opener, without
/// waiting for it: xdg-open on Linux. Asks the fault hook first.
status open_address(std::string_view address);

/// Whether the system can start a program with an administrator's rights
/// when the player agrees (Windows' elevation prompt).
bool can_run_elevated();
/// Starts this program again with the same arguments as administrator: the
/// system asks the player first. Fails when the player or the system says
/// no. Asks the fault hook first (operation::run_elevated, with the
/// program's path and its arguments).
status run_again_elevated();

}  // namespace vantor::platform
