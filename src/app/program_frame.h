#pragma once
// What runs around the workflow: it builds the main window from its stored
// definition, hands the window's events to the session, runs the message
// loop and ends the program in one of its three ways (the window is closed,
// the workflow asks for the end, a fatal error).

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "app/frame_hooks.h"
#include "ui/qt_window.h"
#include "workflow/ports.h"
#include "workflow/session.h"

namespace vantor {

class program_frame final : public window_port, public program_port {
 public:
  explicit program_frame(frame_hooks hooks);
  ~program_frame() override;
  program_frame(const program_frame&) = delete;
  program_frame& operator=(const program_frame&) = delete;

  /// Fixes the run folder, checks the stored window definitions and puts the
  /// floating-point unit in its default state.
  void init_frame();
  /// The one exit routine; it runs at most once, after every window is gone.
  void set_exit_routine(std::function<void()> routine);
  /// The session whose handlers the window's events call.
  void attach_session(patch_session& session) { session_ = &session; }

  /// Builds the window hidden, runs its created event and shows it unless
  /// that event ended the program.
  void load_window(std::int32_t window_id);
  /// Delivers events until the main window is closed.
  void run_message_loop();
  /// Destroys the window and runs the exit routine; returns exit_code.
  int end_sequence(int exit_code);
  /// The end sequence, then the end of the process.
  [[noreturn]] void end_program(std::int32_t exit_code) override;
  /// Shows the report and ends the process with -1, without the exit routine.
  [[noreturn]] void raise_fatal_error(std::string_view message, std::int32_t code);

  /// The live main window, or null.
  qt_window* window() const { return window_.get(); }

  // The window operations of the workflow, on the live window.
  void set_picture(std::string_view unit, const byte_string& bytes) override;
  void set_content(std::string_view unit, std::string_view content) override;
  text get_caption(std::string_view unit) override;

 private:
  qt_window& live_window();
  void dispatch(std::string_view unit, unit_event event, const event_args& args);
  void on_window_closed();
  void destroy_window();

  frame_hooks hooks_;
  std::function<void()> exit_routine_;
  bool loop_started_ = false;
  const window_definition* definition_ = nullptr;
  std::unique_ptr<qt_window> window_;
  patch_session* session_ = nullptr;
};

}  // namespace vantor
