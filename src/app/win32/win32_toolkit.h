#pragma once
// The program frame's toolkit on Win32: the thread's message loop with the
// window's own keys taken first, the main window built from the table, and
// the fatal-error box.

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "app/frame/window_holding_toolkit.h"
#include "ui/win32/win32_taskbar_progress.h"
#include "ui/win32/win32_window.h"

namespace vantor {

class win32_toolkit final : public window_holding_toolkit<win32_window> {
 public:
  win32_toolkit();
  ~win32_toolkit() override;
  win32_toolkit(const win32_toolkit&) = delete;
  win32_toolkit& operator=(const win32_toolkit&) = delete;

  void run_message_loop() override;
  void quit_message_loop() override;
  void show_fatal_report(std::string_view report) override;
  void post_to_window_thread(std::function<void()> call) override;
  void deliver_events_until(const std::function<bool()>& finished) override;
  void set_busy(bool busy) override;
  void show_progress(std::optional<double> fraction) override;
  /// What the taskbar button was last told; none when nothing.
  std::optional<double> taskbar_progress() const { return taskbar_->shown(); }

  /// Delivers the messages already waiting, the way the loop does; false
  /// once the thread was told to quit.
  bool deliver_waiting_messages();
  /// The window message boxes belong to: the main window while it is on
  /// the screen, otherwise none.
  HWND message_owner() const;

 protected:
  std::unique_ptr<win32_window> make_window(const window_definition& definition) override;

 private:
  /// Translates and dispatches one message, unless the window takes it.
  void deliver(MSG& message);
  /// Keys and clicks meant for the main window or its units.
  bool is_input_for_window(const MSG& message) const;
  /// An Esc press, which a busy window keeps to close once it may.
  static bool is_escape(const MSG& message);
  void run_posted_calls();
  void start_com();

  bool quit_ = false;
  bool com_started_ = false;
  bool busy_ = false;
  std::mutex calls_mutex_;
  std::deque<std::function<void()>> calls_;
  HANDLE calls_waiting_ = nullptr;  ///< set when a call is posted
  std::unique_ptr<win32_taskbar_progress> taskbar_ = std::make_unique<win32_taskbar_progress>();
};

}  // namespace vantor
