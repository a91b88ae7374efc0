#pragma once
// The windowed patcher from process start to exit code.

#include "app/frame_hooks.h"
#include "formats/stock_identity.h"

namespace vantor {

/// Runs the program with the window and returns its exit code: 0 when the
/// window was closed. The other ends (the game executable missing, a fatal
/// error) leave the process from inside.
int run_patcher_window(int argc, char** argv, const stock_identity& identity, const frame_hooks& hooks = {});

}  // namespace vantor
