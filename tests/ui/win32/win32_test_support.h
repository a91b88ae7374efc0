#pragma once
// What the Win32 window tests share: delivering the waiting messages the
// way the program's loop does, real keys and clicks through SendInput,
// reading the window back through Win32 calls, captures of what is on the
// screen, and the desktop's message boxes seen and dismissed. Everything
// that waits on a window gives up after a few seconds.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/win32/win32_toolkit.h"

namespace vantor::testing {

/// How long anything waits for the window.
inline constexpr std::chrono::milliseconds window_wait{5000};

/// Delivers messages through the toolkit until none is waiting (or the
/// wait is over).
void settle(win32_toolkit& toolkit);

/// Delivers messages until the condition holds; false when the wait ended
/// first.
bool deliver_until(win32_toolkit& toolkit, const std::function<bool()>& condition);

/// Modifier keys held around a key press or a click.
struct modifiers {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

/// A key pressed and released through the system's input, queued for
/// whichever loop takes the thread's messages next.
void queue_key_press(WORD key);

/// A key pressed and released through the system's input, with modifiers
/// held around it; then the messages are delivered.
void press_key(win32_toolkit& toolkit, WORD key, modifiers held = {});

/// A left-button click through the system's input at a point of a window's
/// client area; then the messages are delivered.
void click_at(win32_toolkit& toolkit, HWND window, POINT at, modifiers held = {});

/// A window's class name and text, UTF-8.
std::string class_of(HWND window);
std::string text_of(HWND window);

/// Pixels of a window as it is on the screen, after it has painted: the
/// client area, or the whole window with its frame.
struct capture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;  ///< 0x00RRGGBB, rows top to bottom
  COLORREF at(std::int32_t x, std::int32_t y) const;
  /// How many pixels have exactly this colour.
  std::size_t count(COLORREF colour) const;
};
capture capture_client(win32_toolkit& toolkit, HWND window);
capture capture_on_screen(win32_toolkit& toolkit, HWND window);

/// What a message box showed.
struct seen_box {
  bool found = false;
  std::string title;
  std::string text;
  int buttons = 0;
  bool icon = false;
  HWND owner = nullptr;
};

/// Runs show on this thread; another thread looks at the first message box
/// of this thread as soon as it is up and clicks its button. A box that
/// never comes up ends show's message loop after the wait.
seen_box watch_and_dismiss(const std::function<void()>& show);

}  // namespace vantor::testing
