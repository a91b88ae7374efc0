#pragma once
// The program frame's toolkit on Win32: the thread's message loop with the
// window's own keys taken first, the main window built from the table, and
// the fatal-error box.

#include <windows.h>

#include <memory>

#include "app/frame/window_toolkit.h"
#include "ui/win32/win32_window.h"

namespace vantor {

class win32_toolkit final : public window_toolkit {
 public:
  win32_toolkit() = default;
  ~win32_toolkit() override;
  win32_toolkit(const win32_toolkit&) = delete;
  win32_toolkit& operator=(const win32_toolkit&) = delete;

  bool build_window(const window_definition& definition, event_sink sink, std::function<void()> on_closed) override;
  bool has_window() const override { return window_ != nullptr; }
  unit_surface& units() override { return *window_; }
  void show_window() override { window_->show_centred(); }
  void destroy_window() override { window_.reset(); }
  void run_message_loop() override;
  void quit_message_loop() override;
  void show_fatal_report(std::string_view report) override;

  /// Delivers the messages already waiting, the way the loop does; false
  /// once the thread was told to quit.
  bool deliver_waiting_messages();
  /// The live main window, or null.
  win32_window* window() const { return window_.get(); }
  /// The window message boxes belong to: the main window while it is on
  /// the screen, otherwise none.
  HWND message_owner() const;

 private:
  /// Translates and dispatches one message, unless the window takes it.
  void deliver(MSG& message);

  std::unique_ptr<win32_window> window_;
  bool quit_ = false;
  bool com_started_ = false;
};

}  // namespace vantor
