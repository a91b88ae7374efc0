#include "app/program_frame.h"

#include <QApplication>
#include <cfenv>
#include <cstdio>
#include <cstdlib>

#include "app/allocation_failure.h"
#include "app/fatal_report.h"
#include "services/files.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_window_builder.h"

namespace vantor {

namespace {

program_frame* g_frame = nullptr;

void report_allocation_failure(std::size_t size) {
  // Sizes are reported as the 32-bit count the rest of the program uses.
  const auto reported = static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
  g_frame->raise_fatal_error(allocation_failure_message(reported), 0);
}

}  // namespace

program_frame::program_frame(frame_hooks hooks) : hooks_(std::move(hooks)) {
  g_frame = this;
  set_allocation_failure_handler(report_allocation_failure);
}

program_frame::~program_frame() {
  set_allocation_failure_handler(nullptr);
  g_frame = nullptr;
}

void program_frame::init_frame() {
  if (hooks_.run_folder.empty()) {
    fix_run_folder();
  } else {
    fix_run_folder(hooks_.run_folder);
  }
  // The window definitions are part of the program image, so reading them
  // cannot fail here; building one can (load_window).
  // Round to nearest and never trap, whatever the process inherited.
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  fedisableexcept(FE_ALL_EXCEPT);
}

void program_frame::set_exit_routine(std::function<void()> routine) { exit_routine_ = std::move(routine); }

void program_frame::load_window(std::int32_t window_id) {
  const window_definition* definition = window_id == main_window_id && hooks_.main_window != nullptr
                                            ? hooks_.main_window
                                            : find_window_definition(window_id);
  if (definition != nullptr) window_ = build_window(*definition);
  if (!window_) raise_fatal_error("载入启动窗口失败", 0);
  definition_ = definition;
  window_->set_event_sink(
      [this](std::string_view unit, unit_event event, const event_args& args) { dispatch(unit, event, args); });
  window_->set_close_handler([this] { on_window_closed(); });

  // The created event runs while the window is still hidden, so what it puts
  // in the units is there when the window first appears. It may end the
  // program; the window is then never shown.
  dispatch({}, unit_event::created, {});

  if (window_ && definition_->visible) {
    window_->show_centred();
    if (hooks_.window_shown) hooks_.window_shown(*window_);
  }
}

void program_frame::run_message_loop() {
  loop_started_ = true;
  if (!window_) return;
  QApplication::exec();
}

void program_frame::dispatch(std::string_view unit, unit_event event, const event_args& args) {
  if (session_ == nullptr || definition_ == nullptr) return;
  if (const auto handler = bound_handler(*definition_, unit, event)) {
    call_handler(*session_, *handler, args, get_run_folder());
  }
}

void program_frame::on_window_closed() {
  // The last window is gone: the loop ends, but only once it has started.
  if (loop_started_) QCoreApplication::exit(0);
}

void program_frame::destroy_window() {
  window_.reset();
  if (session_ != nullptr) session_->archive().set_exists(false);
}

int program_frame::end_sequence(int exit_code) {
  destroy_window();
  if (exit_routine_) {
    const auto routine = std::move(exit_routine_);
    exit_routine_ = nullptr;
    routine();
    if (hooks_.exit_routine_ran) hooks_.exit_routine_ran();
  }
  return exit_code;
}

void program_frame::end_program(std::int32_t exit_code) {
  end_sequence(exit_code);
  std::fflush(nullptr);
  // Straight out: nothing after the caller's call may run, and no further
  // event may be delivered.
  std::_Exit(exit_code);
}

void program_frame::raise_fatal_error(std::string_view message, std::int32_t code) {
  const text report = fatal_report_text(message, code);
  if (hooks_.fatal_report) {
    hooks_.fatal_report(report);
  } else {
    show_fatal_report(report);
  }
  exit_routine_ = nullptr;  // after a fatal error the exit routine does not run
  end_program(-1);
}

qt_window& program_frame::live_window() {
  if (!window_) raise_fatal_error("未载入欲访问窗口组件所在的窗口", 0);
  return *window_;
}

void program_frame::set_picture(std::string_view unit, const byte_string& bytes) {
  live_window().set_picture(unit, bytes);
}

void program_frame::set_content(std::string_view unit, std::string_view content) {
  live_window().set_content(unit, content);
}

text program_frame::get_caption(std::string_view unit) { return live_window().get_caption(unit); }

}  // namespace vantor
