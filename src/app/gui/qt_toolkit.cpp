#include "app/gui/qt_toolkit.h"

#include <QApplication>

#include "ui/qt_message_boxes.h"
#include "ui/qt_window_builder.h"

namespace vantor {

bool qt_toolkit::build_window(const window_definition& definition, event_sink sink, std::function<void()> on_closed) {
  window_ = vantor::build_window(definition);
  if (!window_) return false;
  window_->set_event_sink(std::move(sink));
  window_->set_close_handler(std::move(on_closed));
  return true;
}

void qt_toolkit::run_message_loop() { QApplication::exec(); }

void qt_toolkit::quit_message_loop() { QCoreApplication::exit(0); }

void qt_toolkit::show_fatal_report(std::string_view report) { vantor::show_fatal_report(report); }

}  // namespace vantor
