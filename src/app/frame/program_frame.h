#pragma once
// What runs around the session, whatever the toolkit: it builds the main
// window from its stored definition, hands the window's events to the
// session, runs the message loop and ends the program in one of its three
// ways (the window is closed, the session asks for the end, a fatal error).

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "app/frame/command_thread.h"
#include "app/frame/frame_hooks.h"
#include "app/frame/window_thread_messages.h"
#include "app/frame/window_toolkit.h"
#include "workflow/ports.h"
#include "workflow/session.h"

namespace vantor {

class program_frame final : public patcher_view, public program_port, public progress_port {
 public:
  program_frame(window_toolkit& toolkit, frame_hooks hooks);
  ~program_frame() override;
  program_frame(const program_frame&) = delete;
  program_frame& operator=(const program_frame&) = delete;

  /// Fixes the run folder and puts the floating-point unit in its default
  /// state. The window definitions are part of the program image, so there
  /// is nothing to read here that could fail.
  void init_frame();
  /// The one exit routine; it runs at most once, after every window is gone.
  void set_exit_routine(std::function<void()> routine);
  /// The ports a session of this frame talks to: this view, this program,
  /// this progress display and the message boxes given, each reached on the
  /// window's thread whatever thread the command runs on.
  session_ports ports_for(message_port& messages);
  /// The session whose commands the window's events run.
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
  /// Where the system can elevate a program (Windows), the program is
  /// started again as administrator through the system's prompt.
  bool can_run_as_administrator() const override;
  bool run_as_administrator() override;
  /// Shows the report and ends the process with -1, without the exit routine.
  [[noreturn]] void raise_fatal_error(std::string_view message, std::int32_t code);

  bool has_window() const { return toolkit_.has_window(); }

  // The session's view, on the live window's units.
  void show_cover(const byte_string& picture) override;
  void show_description(std::string_view description) override;
  void show_frame_summary(std::string_view summary) override;
  text homepage_address() const override;

  /// On the window's taskbar button, where the toolkit has one.
  void show_progress(work_stage stage, std::uint64_t done, std::uint64_t total) override;

 private:
  unit_surface& live_units() const;
  void dispatch(std::string_view unit, unit_event event);
  void on_window_closed();

  window_toolkit& toolkit_;
  frame_hooks hooks_;
  std::function<void()> exit_routine_;
  bool loop_started_ = false;
  const window_definition* definition_ = nullptr;
  patch_session* session_ = nullptr;
  command_thread commands_;
  std::optional<window_thread_messages> messages_;
  int shown_permille_ = -1;  ///< the progress last handed to the window, on the command's thread
};

/// The windowed patcher from start to exit code on a toolkit: 0 when the
/// window was closed. The other ends (the game executable missing, a fatal
/// error) leave the process from inside.
int run_patcher(window_toolkit& toolkit, message_port& messages, const stock_identity& identity,
                const frame_hooks& hooks = {});

}  // namespace vantor
