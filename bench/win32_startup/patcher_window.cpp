// The patcher's Win32 window, started in the game folder given, reporting
// the moment it is shown and then closing itself:
//   vantor_bench_win32_patcher_window GAME_FOLDER

#include <windows.h>

#include <string_view>

#include "app/win32/run_patcher_window.h"
#include "formats/demo_bundle.h"
#include "platform/utf16.h"
#include "shown_clock.h"
#include "ui/win32/win32_window.h"

namespace {

BOOL CALLBACK find_main_window(HWND window, LPARAM found) {
  wchar_t type[64] = {};
  ::GetClassNameW(window, type, 64);
  if (std::wstring_view(type) != vantor::main_window_class) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  vantor::frame_hooks hooks;
  hooks.run_folder = vantor::platform::from_utf16(argv[1]);
  hooks.window_shown = [] {
    HWND window = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), find_main_window, reinterpret_cast<LPARAM>(&window));
    vantor::bench::report_shown(window);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  };
  return vantor::run_win32_patcher_window(vantor::demo_stock_identity, hooks);
}
