#include "app/gui/qt_toolkit.h"

#include <QApplication>

#include "ui/qt_message_boxes.h"
#include "ui/qt_window_builder.h"

namespace vantor {

std::unique_ptr<qt_window> qt_toolkit::make_window(const window_definition& definition) {
  return vantor::build_window(definition);
}

void qt_toolkit::run_message_loop() { QApplication::exec(); }

void qt_toolkit::quit_message_loop() { QCoreApplication::exit(0); }

void qt_toolkit::show_fatal_report(std::string_view report) { vantor::show_fatal_report(report); }

}  // namespace vantor
