#include "win32_test_support.h"

#include <atomic>
#include <thread>

#include "platform/utf16.h"
#include "ui/win32/win32_text.h"

namespace vantor::testing {

namespace {

using clock = std::chrono::steady_clock;

INPUT key_input(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

std::vector<WORD> held_keys(modifiers held) {
  std::vector<WORD> keys;
  if (held.ctrl) keys.push_back(VK_CONTROL);
  if (held.shift) keys.push_back(VK_SHIFT);
  if (held.alt) keys.push_back(VK_MENU);
  return keys;
}

void send(std::vector<INPUT>& inputs) { ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)); }

}  // namespace

void settle(win32_toolkit& toolkit) {
  const auto end = clock::now() + window_wait;
  // Painting and timers post more messages while the first ones are
  // delivered: done once a round finds the queue empty.
  while (clock::now() < end) {
    if (!toolkit.deliver_waiting_messages()) return;
    if (HIWORD(::GetQueueStatus(QS_ALLINPUT)) == 0) return;
  }
}

bool deliver_until(win32_toolkit& toolkit, const std::function<bool()>& condition) {
  const auto end = clock::now() + window_wait;
  while (!condition()) {
    if (clock::now() >= end) return false;
    toolkit.deliver_waiting_messages();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void queue_key_press(WORD key) {
  std::vector<INPUT> inputs{key_input(key, false), key_input(key, true)};
  send(inputs);
}

void press_key(win32_toolkit& toolkit, WORD key, modifiers held) {
  std::vector<INPUT> inputs;
  const std::vector<WORD> keys = held_keys(held);
  for (WORD k : keys) inputs.push_back(key_input(k, false));
  inputs.push_back(key_input(key, false));
  inputs.push_back(key_input(key, true));
  for (auto k = keys.rbegin(); k != keys.rend(); ++k) inputs.push_back(key_input(*k, true));
  send(inputs);
  settle(toolkit);
}

void click_at(win32_toolkit& toolkit, HWND window, POINT at, modifiers held) {
  ::ClientToScreen(window, &at);
  std::vector<INPUT> inputs;
  const std::vector<WORD> keys = held_keys(held);
  for (WORD k : keys) inputs.push_back(key_input(k, false));
  // Absolute coordinates run from 0 to 65535 over the primary screen.
  INPUT mouse{};
  mouse.type = INPUT_MOUSE;
  mouse.mi.dx = ::MulDiv(at.x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1;
  mouse.mi.dy = ::MulDiv(at.y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1;
  mouse.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs.push_back(mouse);
  mouse.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  inputs.push_back(mouse);
  mouse.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  inputs.push_back(mouse);
  for (auto k = keys.rbegin(); k != keys.rend(); ++k) inputs.push_back(key_input(*k, true));
  send(inputs);
  settle(toolkit);
}

std::string class_of(HWND window) {
  wchar_t name[256] = {};
  const int length = ::GetClassNameW(window, name, 256);
  return platform::from_utf16(std::wstring_view(name, static_cast<std::size_t>(length > 0 ? length : 0)));
}

std::string text_of(HWND window) { return window_text(window); }

COLORREF capture::at(std::int32_t x, std::int32_t y) const {
  const std::uint32_t pixel =
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

std::size_t capture::count(COLORREF colour) const {
  std::size_t found = 0;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) found += at(x, y) == colour ? 1u : 0u;
  }
  return found;
}

namespace {

// The pixels of a rectangle of a device context.
capture copy_pixels(HDC source, const RECT& area) {
  capture shot;
  shot.width = area.right - area.left;
  shot.height = area.bottom - area.top;
  shot.pixels.assign(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height), 0);
  HDC memory = ::CreateCompatibleDC(source);
  BITMAPINFO layout{};
  layout.bmiHeader.biSize = sizeof layout.bmiHeader;
  layout.bmiHeader.biWidth = shot.width;
  layout.bmiHeader.biHeight = -shot.height;
  layout.bmiHeader.biPlanes = 1;
  layout.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(memory, &layout, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, shot.width, shot.height, source, area.left, area.top, SRCCOPY);
  ::GdiFlush();
  const auto* copied = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = copied[i] & 0xFFFFFF;
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  return shot;
}

void paint_now(win32_toolkit& toolkit, HWND window) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  settle(toolkit);
}

}  // namespace

capture capture_client(win32_toolkit& toolkit, HWND window) {
  paint_now(toolkit, window);
  RECT area{};
  ::GetClientRect(window, &area);
  HDC source = ::GetDC(window);
  capture shot = copy_pixels(source, area);
  ::ReleaseDC(window, source);
  return shot;
}

capture capture_on_screen(win32_toolkit& toolkit, HWND window) {
  paint_now(toolkit, window);
  RECT area{};
  ::GetWindowRect(window, &area);
  HDC screen = ::GetDC(nullptr);
  capture shot = copy_pixels(screen, area);
  ::ReleaseDC(nullptr, screen);
  return shot;
}

namespace {

struct box_search {
  HWND box = nullptr;
};

BOOL CALLBACK find_box(HWND window, LPARAM found) {
  if (class_of(window) == "#32770" && ::IsWindowVisible(window)) {
    reinterpret_cast<box_search*>(found)->box = window;
    return FALSE;
  }
  return TRUE;
}

struct box_controls {
  std::string text;
  int buttons = 0;
  bool icon = false;
  HWND button = nullptr;
};

BOOL CALLBACK read_control(HWND control, LPARAM into) {
  auto& controls = *reinterpret_cast<box_controls*>(into);
  if (!::IsWindowVisible(control)) return TRUE;
  const std::string type = class_of(control);
  if (type == "Button") {
    ++controls.buttons;
    controls.button = control;
  } else if (type == "Static") {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE));
    if ((style & SS_TYPEMASK) == SS_ICON) {
      controls.icon |= ::SendMessageW(control, STM_GETICON, 0, 0) != 0;
    } else if (text_of(control).size() > controls.text.size()) {
      controls.text = text_of(control);
    }
  }
  return TRUE;
}

}  // namespace

seen_box watch_and_dismiss(const std::function<void()>& show) {
  const DWORD thread = ::GetCurrentThreadId();
  std::atomic<bool> shown{false};
  seen_box seen;
  std::thread watcher([&] {
    const auto end = clock::now() + window_wait;
    while (!shown && clock::now() < end) {
      box_search search;
      ::EnumThreadWindows(thread, find_box, reinterpret_cast<LPARAM>(&search));
      if (search.box != nullptr) {
        box_controls controls;
        ::EnumChildWindows(search.box, read_control, reinterpret_cast<LPARAM>(&controls));
        seen = {true,          text_of(search.box),
                controls.text, controls.buttons,
                controls.icon, ::GetWindow(search.box, GW_OWNER)};
        ::PostMessageW(search.box, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(controls.button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(controls.button));
        return;
      }
      ::Sleep(10);
    }
    // Nothing found: the box's loop ends on WM_QUIT, so the test goes on.
    if (!shown) ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
  });
  show();
  shown = true;
  watcher.join();
  // A WM_QUIT the box's loop did not take is not left for the next loop.
  MSG left{};
  ::PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  return seen;
}

}  // namespace vantor::testing
