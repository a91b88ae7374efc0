// The Win32 windowed patcher with its message boxes replaced by lines on
// standard output, for the tests that run the whole program as a process:
//
//   frame_probe [--space-when-shown] [--escape-when-shown] [--close-when-shown]
//               [--allocate-when-shown] [--broken-window]
//
// Keys go through the system's input once the window is shown. It runs from
// its own folder, like the real program, and accepts the test game folder's
// small stock bundle.

#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "app/win32/run_patcher_window.h"
#include "platform/desktop.h"
#include "platform/fault_hook.h"
#include "support/game_folder.h"
#include "ui/win32/win32_window.h"
#include "ui/window_definition.h"
#include "workflow/ports.h"

namespace {

void say(std::string_view what, std::string_view text = {}) {
  std::string line(what);
  for (const char c : text) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  line += '\n';
  vantor::platform::write_text(stdout, line);
  std::fflush(stdout);
}

BOOL CALLBACK find_main_window(HWND window, LPARAM found) {
  wchar_t type[64] = {};
  ::GetClassNameW(window, type, 64);
  if (std::wstring_view(type) != vantor::main_window_class || !::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The main window while it is on the screen, or null.
HWND shown_window() {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), find_main_window, reinterpret_cast<LPARAM>(&found));
  return found;
}

class printed_messages final : public vantor::message_port {
 public:
  void show_message(std::string_view message) override {
    say("message: ", message);
    say(shown_window() != nullptr ? "window visible: yes" : "window visible: no");
  }
};

// The homepage is printed instead of opened.
class printed_addresses final : public vantor::platform::fault_hook {
 public:
  vantor::platform::fault before(vantor::platform::operation op, std::string_view path, std::string_view) override {
    if (op != vantor::platform::operation::open_address) return {};
    say("open address: ", path);
    return {vantor::os_error::other};
  }
};

void press(WORD key) {
  INPUT keys[2] = {};
  keys[0].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = key;
  keys[1] = keys[0];
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, keys, sizeof(INPUT));
}

void CALLBACK allocate_too_much(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  // 2^40 + 100 bytes: no heap has them, and the low 32 bits say 100.
  void* volatile block = ::operator new((std::size_t{1} << 40) + 100);
  say("allocated?");
  ::operator delete(block);
}

bool has_argument(int argc, wchar_t** argv, std::wstring_view wanted) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == wanted) return true;
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool space_when_shown = has_argument(argc, argv, L"--space-when-shown");
  const bool escape_when_shown = has_argument(argc, argv, L"--escape-when-shown");
  const bool close_when_shown = has_argument(argc, argv, L"--close-when-shown");
  const bool allocate_when_shown = has_argument(argc, argv, L"--allocate-when-shown");
  const bool broken_window = has_argument(argc, argv, L"--broken-window");

  printed_messages messages;
  printed_addresses addresses;
  vantor::platform::set_fault_hook(&addresses);
  // Two units of the same name cannot be built.
  vantor::window_definition broken = vantor::main_window_definition();
  broken.units.push_back(broken.units.front());

  vantor::frame_hooks hooks;
  hooks.fatal_report = [](std::string_view report) { say("fatal: ", report); };
  if (broken_window) hooks.main_window = &broken;
  hooks.window_shown = [&] {
    HWND window = shown_window();
    if (window == nullptr) std::abort();
    say("shown");
    say(::SendMessageW(window, WM_GETICON, ICON_BIG, 0) != 0 ? "icon: the program's own" : "icon: none");
    // Queued now, taken by the message loop in this order.
    if (space_when_shown) press(VK_SPACE);
    if (escape_when_shown) press(VK_ESCAPE);
    if (close_when_shown) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (allocate_when_shown) ::SetTimer(nullptr, 0, 0, allocate_too_much);
  };
  hooks.exit_routine_ran = [] { say("exit routine ran"); };
  return vantor::run_win32_patcher_window(vantor::testing::small_stock().identity(), hooks, &messages);
}
