// Draws the window as a player first sees it in the demo game folder, into
// a PNG:  render_window <output.png>
// docs/window.png is made this way (cmake --build <dir> --target window_screenshot).

#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <cstdio>
#include <string>

#include "app/frame/program_frame.h"
#include "app/qt/qt_toolkit.h"
#include "demo_folder.h"
#include "formats/demo_bundle.h"
#include "support/fake_ports.h"
#include "support/temp_folder.h"
#include "ui/qt/qt_application_icon.h"
#include "ui/qt/qt_conversions.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
    return 2;
  }
  const std::string output = argv[1];
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(vantor::application_icon());
  QApplication::setFont(vantor::default_gui_font());

  vantor::testing::temp_folder game;
  std::string error;
  if (vantor::make_demo_folder(game.path(), error) != vantor::demo_result::written) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }

  vantor::testing::fake_ports messages;
  vantor::frame_hooks hooks;
  hooks.run_folder = game.path();
  vantor::qt_toolkit toolkit;
  vantor::program_frame frame(toolkit, hooks);
  frame.init_frame();
  vantor::patch_session session(vantor::session_ports{messages, &frame, &frame}, vantor::demo_stock_identity);
  frame.attach_session(session);
  frame.load_window(vantor::main_window_id);
  if (toolkit.window() == nullptr || !QTest::qWaitForWindowExposed(toolkit.window())) return 1;
  QTest::qWait(50);  // let the focus frame settle
  const bool saved = toolkit.window()->grab().save(QString::fromStdString(output), "PNG");
  frame.end_sequence(0);
  return saved && messages.messages.empty() ? 0 : 1;
}
