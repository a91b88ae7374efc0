#pragma once
// Windows only: where the program's DLLs come from.
//
// The programs live in the game folder, among the game's own DLLs and those
// of other mods, and Windows looks in a program's own folder first for a DLL
// loaded by name: a version.dll or shcore.dll put there would run inside the
// patcher. So the programs import statically only DLLs that Windows always
// takes from its own list of known DLLs (kernel32, msvcrt, user32, gdi32),
// restrict the search to the system folder first thing in main
// (load_libraries_from_system_folder_only, platform/process.h), and load
// every other DLL (the shell, COM) here, by name from the system folder.

namespace vantor::platform {

/// A function of any type, as GetProcAddress gives it.
using any_function = void (*)();

/// The exported function `name` of the system DLL `library`
/// ("shell32.dll"), which is loaded from the system folder (never from the
/// program's) and stays loaded; nullptr when the system has no such DLL or
/// function.
any_function system_function_address(const wchar_t* library, const char* name);

/// The same, typed: system_function<decltype(::ShellExecuteW)>(L"shell32.dll",
/// "ShellExecuteW").
template <typename function>
function* system_function(const wchar_t* library, const char* name) {
  return reinterpret_cast<function*>(system_function_address(library, name));
}

}  // namespace vantor::platform
