#pragma once
// The running program: where it lives, its current folder, its arguments
// and the state of its floating-point unit.

#include <string>
#include <string_view>
#include <vector>

#include "platform/outcome.h"
#include "platform/system_error.h"

namespace vantor::platform {

/// Keeps DLLs in the program's own folder from ever being loaded in place of
/// the system's: on Windows the DLL search of the whole process is
/// restricted to the system folder (platform/system_library_win32.h). Does
/// nothing elsewhere. The first call of every program's main.
void load_libraries_from_system_folder_only();

/// The folder of the running program, without a trailing separator.
std::string executable_folder();
/// The path made absolute against the current directory (not otherwise
/// normalised).
std::string absolute_path(std::string_view path);
/// Makes a folder the current directory.
status set_current_folder(std::string_view path);

/// The program's command-line arguments as UTF-8, the program name first.
/// On Windows they are taken from the wide command line, so Chinese paths
/// arrive whole whatever the system's code page; argv is used elsewhere.
std::vector<std::string> command_line_arguments(int argc, char** argv);

/// Puts the floating-point unit in its default state: round to nearest,
/// no exception traps, whatever the process inherited.
void reset_floating_point();

}  // namespace vantor::platform
