#pragma once

#include <cstdint>
#include <string_view>

namespace vantor {

/// Show style that asks for the started program's window to be shown normally.
inline constexpr std::int32_t show_normal = 2;

/// Starts a program from a command line whose first word names it. On Linux
/// the program is started detached; there is no "ready for input" to wait
/// for and no window style to pass, so wait and show_style change nothing.
bool run_command_line(std::string_view command_line, bool wait, std::int32_t show_style);

}  // namespace vantor
