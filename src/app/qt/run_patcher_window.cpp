#include "app/qt/run_patcher_window.h"

#include <QApplication>

#include "app/frame/program_frame.h"
#include "app/qt/qt_toolkit.h"
#include "ui/qt/qt_application_icon.h"
#include "ui/qt/qt_conversions.h"
#include "ui/qt/qt_message_boxes.h"

namespace vantor {

int run_patcher_window(int argc, char** argv, const stock_identity& identity, const frame_hooks& hooks,
                       message_port* messages) {
  QApplication application(argc, argv);
  // The frame decides when the program ends, not Qt.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(application_icon());
  // Everything without a font of its own, message boxes included.
  QApplication::setFont(default_gui_font());

  qt_toolkit toolkit;
  qt_message_port message_boxes;
  return run_patcher(toolkit, messages != nullptr ? *messages : message_boxes, identity, hooks);
}

}  // namespace vantor
