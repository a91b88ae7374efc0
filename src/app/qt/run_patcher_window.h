#pragma once
// The windowed patcher on Qt, from process start to exit code.

#include "app/frame/frame_hooks.h"
#include "formats/stock_identity.h"
#include "workflow/ports.h"

namespace vantor {

/// Runs the program with the Qt window and returns its exit code: 0 when
/// the window was closed. The other ends (the game executable missing, a
/// fatal error) leave the process from inside. messages, when given, stands
/// for the message boxes.
int run_patcher_window(int argc, char** argv, const stock_identity& identity, const frame_hooks& hooks = {},
                       message_port* messages = nullptr);

}  // namespace vantor
