#include "app/frame/program_frame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/frame/allocation_failure.h"
#include "app/frame/fatal_report.h"
#include "platform/desktop.h"
#include "platform/process.h"
#include "services/files.h"
#include "ui/window_view.h"

namespace vantor {

namespace {

program_frame* g_frame = nullptr;

void report_allocation_failure(std::size_t size) {
  // Sizes are reported as the 32-bit count the rest of the program uses.
  const auto reported = static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
  g_frame->raise_fatal_error(allocation_failure_message(reported), 0);
}

}  // namespace

program_frame::program_frame(window_toolkit& toolkit, frame_hooks hooks)
    : toolkit_(toolkit), hooks_(std::move(hooks)), commands_(toolkit) {
  g_frame = this;
  set_allocation_failure_handler(report_allocation_failure);
}

program_frame::~program_frame() {
  set_allocation_failure_handler(nullptr);
  g_frame = nullptr;
}

// It changes the process (its current folder), which no const could say.
// NOLINTNEXTLINE(readability-make-member-function-const)
void program_frame::init_frame() {
  if (hooks_.run_folder.empty()) {
    fix_run_folder();
  } else {
    fix_run_folder(hooks_.run_folder);
  }
  platform::reset_floating_point();
}

void program_frame::set_exit_routine(std::function<void()> routine) { exit_routine_ = std::move(routine); }

void program_frame::load_window(std::int32_t window_id) {
  const window_definition* definition = window_id == main_window_id && hooks_.main_window != nullptr
                                            ? hooks_.main_window
                                            : find_window_definition(window_id);
  const bool built =
      definition != nullptr &&
      toolkit_.build_window(
          *definition, [this](std::string_view unit, unit_event event, const event_args&) { dispatch(unit, event); },
          [this] { on_window_closed(); });
  if (!built) raise_fatal_error("载入启动窗口失败", 0);
  definition_ = definition;

  // The created event runs while the window is still hidden, so what it puts
  // in the units is there when the window first appears. It may end the
  // program; the window is then never shown.
  dispatch({}, unit_event::created);

  if (toolkit_.has_window() && definition_->visible) {
    toolkit_.show_window();
    if (hooks_.window_shown) hooks_.window_shown();
  }
}

void program_frame::run_message_loop() {
  loop_started_ = true;
  if (!toolkit_.has_window()) return;
  toolkit_.run_message_loop();
}

session_ports program_frame::ports_for(message_port& messages) {
  messages_.emplace(messages, commands_);
  return session_ports{*messages_, this, this, this};
}

void program_frame::dispatch(std::string_view unit, unit_event event) {
  if (session_ == nullptr || definition_ == nullptr) return;
  // The mouse event's position and keys reach nobody: the link's command
  // does not use them.
  const auto command = bound_command(*definition_, unit, event);
  if (!command) return;
  const bool long_work =
      *command == session_command::on_upgrade_clicked || *command == session_command::on_restore_clicked;
  if (!long_work) {
    run_command(*session_, *command, get_run_folder());
    return;
  }
  // A busy window takes no input, so nothing can start a second command;
  // this holds for any other way an event might come.
  if (commands_.busy()) return;
  shown_permille_ = -1;
  const text run_folder = get_run_folder();
  commands_.run([&] { run_command(*session_, *command, run_folder); });
}

void program_frame::show_progress(work_stage /*stage*/, std::uint64_t done, std::uint64_t total) {
  // Each stage fills the bar once. Only a visible change goes to the
  // window, so thousands of small entries do not flood its thread.
  const int permille = total == 0 ? 1000 : static_cast<int>(std::min<std::uint64_t>(done, total) * 1000 / total);
  if (permille == shown_permille_) return;
  shown_permille_ = permille;
  commands_.post_to_window_thread([this, permille] { toolkit_.show_progress(permille / 1000.0); });
}

void program_frame::on_window_closed() {
  // The last window is gone: the loop ends, but only once it has started.
  if (loop_started_) toolkit_.quit_message_loop();
}

int program_frame::end_sequence(int exit_code) {
  toolkit_.destroy_window();
  if (exit_routine_) {
    const auto routine = std::move(exit_routine_);
    exit_routine_ = nullptr;
    routine();
    if (hooks_.exit_routine_ran) hooks_.exit_routine_ran();
  }
  return exit_code;
}

void program_frame::end_program(std::int32_t exit_code) {
  // The window is the window thread's to destroy; the command's thread waits
  // there for the end of the process.
  if (!commands_.on_window_thread()) commands_.call_on_window_thread([this, exit_code] { end_program(exit_code); });
  end_sequence(exit_code);
  std::fflush(nullptr);
  // Straight out: nothing after the caller's call may run, and no further
  // event may be delivered.
  std::_Exit(exit_code);
}

bool program_frame::can_run_as_administrator() const { return platform::can_run_elevated(); }

bool program_frame::run_as_administrator() {
  bool started = false;
  commands_.call_on_window_thread([&started] { started = platform::run_again_elevated().ok(); });
  return started;
}

void program_frame::raise_fatal_error(std::string_view message, std::int32_t code) {
  if (!commands_.on_window_thread()) {
    const text copied(message);
    commands_.call_on_window_thread([this, &copied, code] { raise_fatal_error(copied, code); });
  }
  const text report = fatal_report_text(message, code);
  if (hooks_.fatal_report) {
    hooks_.fatal_report(report);
  } else {
    toolkit_.show_fatal_report(report);
  }
  exit_routine_ = nullptr;  // after a fatal error the exit routine does not run
  end_program(-1);
}

unit_surface& program_frame::live_units() const {
  if (!toolkit_.has_window() || definition_ == nullptr)
    const_cast<program_frame*>(this)->raise_fatal_error("未载入欲访问窗口组件所在的窗口", 0);
  return toolkit_.units();
}

void program_frame::show_cover(const byte_string& picture) {
  window_view(definition_->view, live_units()).show_cover(picture);
}

void program_frame::show_description(std::string_view description) {
  window_view(definition_->view, live_units()).show_description(description);
}

void program_frame::show_frame_summary(std::string_view summary) {
  window_view(definition_->view, live_units()).show_frame_summary(summary);
}

text program_frame::homepage_address() const { return window_view(definition_->view, live_units()).homepage_address(); }

int run_patcher(window_toolkit& toolkit, message_port& messages, const stock_identity& identity,
                const frame_hooks& hooks) {
  program_frame frame(toolkit, hooks);
  frame.init_frame();
  patch_session session(frame.ports_for(messages), identity);
  frame.attach_session(session);
  frame.set_exit_routine([&session] { session.release_session(); });
  frame.load_window(main_window_id);
  frame.run_message_loop();
  return frame.end_sequence(0);
}

}  // namespace vantor
