#pragma once
// The seam between the program frame and a windowing toolkit. A front end
// (Qt on Linux, Win32 on Windows) implements just this; the frame keeps the
// rules of start, events and end.

#include <functional>
#include <optional>
#include <string_view>

#include "ui/event_bindings.h"
#include "ui/unit_surface.h"
#include "ui/window_definition.h"

namespace vantor {

class window_toolkit {
 public:
  virtual ~window_toolkit() = default;

  /// Builds the main window hidden, with its units in stored order, their
  /// bound events going to sink and on_closed called once when the user
  /// closes it. False when the definition cannot be built.
  virtual bool build_window(const window_definition& definition, event_sink sink, std::function<void()> on_closed) = 0;
  virtual bool has_window() const = 0;
  /// The live window's units.
  virtual unit_surface& units() = 0;
  /// Shows the window, activated, centred on the primary screen.
  virtual void show_window() = 0;
  virtual void destroy_window() = 0;

  /// Delivers events until quit_message_loop is called.
  virtual void run_message_loop() = 0;
  virtual void quit_message_loop() = 0;

  /// Hands a call to the window's thread, from any thread: it runs there in
  /// order, from the message loop or deliver_events_until.
  virtual void post_to_window_thread(std::function<void()> call) = 0;
  /// Delivers events and posted calls until finished() holds; asked after
  /// each of them. Input to a busy window is dropped meanwhile.
  virtual void deliver_events_until(const std::function<bool()>& finished) = 0;
  /// While a command runs the window is busy: it paints and answers the
  /// system, but takes no keys or clicks and does not close, and shows the
  /// busy pointer.
  virtual void set_busy(bool busy) = 0;
  /// How far the running command has got, 0 to 1, where the toolkit can
  /// show it (the taskbar button on Windows); none takes it away.
  virtual void show_progress(std::optional<double> fraction) { (void)fraction; }

  /// The fatal-error report: a box titled "错误" with the stop icon; returns
  /// when it has been dismissed.
  virtual void show_fatal_report(std::string_view report) = 0;
};

}  // namespace vantor
