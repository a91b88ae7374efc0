// The frame probe on Win32, for the test game folder's small stock bundle.
// Keys go through the system's input.

#include <windows.h>

#include <string>
#include <vector>

#include "app/win32/run_patcher_window.h"
#include "platform/utf16.h"
#include "probe_toolkit.h"
#include "support/game_folder.h"
#include "ui/win32/win32_window.h"
#include "win32_test_support.h"

namespace vantor::probe {
namespace {

BOOL CALLBACK find_main_window(HWND window, LPARAM found) {
  wchar_t type[64] = {};
  ::GetClassNameW(window, type, 64);
  if (std::wstring_view(type) != main_window_class || !::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The main window while it is on the screen, or null.
HWND shown_window() {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), find_main_window, reinterpret_cast<LPARAM>(&found));
  return found;
}

void (*loop_call)() = nullptr;

void CALLBACK call_once(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  loop_call();
}

void CALLBACK escape_while_shown(HWND, UINT, UINT_PTR timer, DWORD) {
  if (shown_window() == nullptr) {
    ::KillTimer(nullptr, timer);
    return;
  }
  testing::queue_key_press(VK_ESCAPE);
}

}  // namespace

bool window_on_screen() { return shown_window() != nullptr; }
bool has_program_icon() { return ::SendMessageW(shown_window(), WM_GETICON, ICON_BIG, 0) != 0; }

void press_space() { testing::queue_key_press(VK_SPACE); }
void press_escape() { testing::queue_key_press(VK_ESCAPE); }
void close_window() { ::PostMessageW(shown_window(), WM_CLOSE, 0, 0); }
void call_from_loop(void (*call)()) {
  loop_call = call;
  ::SetTimer(nullptr, 0, 0, call_once);
}

void press_escape_until_closed() { ::SetTimer(nullptr, 0, 100, escape_while_shown); }

int run_program(const frame_hooks& hooks, message_port& messages) {
  return run_win32_patcher_window(testing::small_stock().identity(), hooks, &messages);
}

}  // namespace vantor::probe

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(vantor::platform::from_utf16(argv[i]));
  return vantor::probe::probe_main(arguments);
}
