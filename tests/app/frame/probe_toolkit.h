#pragma once
// What the frame probe needs from the toolkit it is built with: the one
// probe (frame_probe.cpp) runs the windowed program on Qt or on Win32 with
// its message boxes turned into lines.

#include <string>
#include <vector>

#include "app/frame/frame_hooks.h"
#include "workflow/ports.h"

namespace vantor::probe {

/// Whether the main window is on the screen now.
bool window_on_screen();
/// Whether the shown main window carries the program's own icon.
bool has_program_icon();

/// Queued now, in this order, for the message loop to take: a key on the
/// unit with the focus, the window's close, a call made from the loop.
void press_space();
void press_escape();
void close_window();
void call_from_loop(void (*call)());
/// Esc, again every tenth of a second until the window has closed.
void press_escape_until_closed();

/// The windowed program from start to exit code on this toolkit, with the
/// stock identity of the game folder its tests give it.
int run_program(const frame_hooks& hooks, message_port& messages);

/// The probe itself; each toolkit's entry point hands it the arguments as
/// UTF-8, the program name first.
int probe_main(const std::vector<std::string>& arguments);

}  // namespace vantor::probe
