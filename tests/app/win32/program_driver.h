#pragma once
// Drives a Windows program from outside, as a player would: starts it in
// its folder, finds its windows and boxes by their titles and texts, and
// answers its message boxes.

#include <windows.h>

#include <filesystem>
#include <string>

namespace vantor::testing {

struct started_program {
  PROCESS_INFORMATION process{};
  bool ok = false;
};

/// Starts the program in its folder with no console of its own; its output
/// goes nowhere.
started_program start_program(const std::filesystem::path& program, const std::wstring& arguments);

/// Waits up to limit_ms for the end (ending it when it overruns) and gives
/// its exit code; -2 when it had to be ended, -3 when it never started.
long long finish_program(started_program& run, DWORD limit_ms = 30000);

/// The process's visible top-level window with this title, waited for up to
/// 30 seconds; null when none came.
HWND wait_for_window(DWORD process, const std::string& title);

/// The child window whose text starts with this text.
HWND child_with_text(HWND parent, const std::string& text);

/// Answers the process's next message box with OK, once it is there, and
/// waits for it to go; its text, or "<no message>".
std::string answer_message(DWORD process);

}  // namespace vantor::testing
