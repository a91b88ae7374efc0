#pragma once
// The command-line patcher: the window's two commands and a status report,
// for players without a desktop, for scripts and for mod tools.

#include <cstdio>
#include <span>

#include "formats/stock_identity.h"

namespace vantor {

/// Exit statuses of the command-line patcher.
enum patch_exit : int { patch_succeeded = 0, patch_failed = 1, patch_usage_error = 2 };

/// Which build runs: the demo build says so in its version line.
enum class patch_build { game, demo };

/// Runs the patcher with its command-line arguments (the program name
/// first); messages go to out, usage errors to err. Returns the exit status.
int run_patch_command(std::span<char* const> arguments, const stock_identity& identity, std::FILE* out, std::FILE* err,
                      patch_build build = patch_build::game);

}  // namespace vantor
