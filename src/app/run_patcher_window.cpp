#include "app/run_patcher_window.h"

#include <QApplication>

#include "app/desktop_launcher.h"
#include "app/program_frame.h"
#include "ui/qt_application_icon.h"
#include "ui/qt_conversions.h"
#include "ui/qt_message_boxes.h"
#include "workflow/session.h"

namespace vantor {

int run_patcher_window(int argc, char** argv, const stock_identity& identity, const frame_hooks& hooks) {
  QApplication application(argc, argv);
  // The frame decides when the program ends, not Qt.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(application_icon());
  // Everything without a font of its own, message boxes included.
  QApplication::setFont(default_gui_font());

  program_frame frame(hooks);
  frame.init_frame();

  qt_message_port message_boxes;
  desktop_launcher desktop;
  patch_session session(workflow_ports{frame, hooks.messages ? *hooks.messages : message_boxes, frame,
                                       hooks.launcher ? *hooks.launcher : desktop},
                        identity);
  frame.attach_session(session);
  frame.set_exit_routine([&session] { session.release_session(); });

  frame.load_window(main_window_id);
  frame.run_message_loop();
  return frame.end_sequence(0);
}

}  // namespace vantor
