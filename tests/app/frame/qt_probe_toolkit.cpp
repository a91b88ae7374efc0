// The frame probe on Qt, for the demo game folder the Linux tests give it.

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/qt/run_patcher_window.h"
#include "formats/demo_bundle.h"
#include "platform/process.h"
#include "probe_toolkit.h"

namespace vantor::probe {
namespace {

int program_argc = 0;
char** program_argv = nullptr;

// The main window: the one top-level window on the screen; null when none is.
QWidget* shown_window() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible()) return window;
  }
  return nullptr;
}

// Queued for the loop once the window is active: keys go to the active
// window only, as a player's do, and it may not be active yet when shown.
void later(const std::function<void()>& call) {
  QWidget* window = shown_window();
  static_cast<void>(QTest::qWaitForWindowActive(window));
  QTimer::singleShot(0, window, call);
}

}  // namespace

bool window_on_screen() { return shown_window() != nullptr; }
bool has_program_icon() { return !shown_window()->windowIcon().isNull(); }

void press_space() {
  later([] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space); });
}
void press_escape() {
  later([] {
    if (QWidget* window = shown_window()) QTest::keyClick(window, Qt::Key_Escape);
  });
}
void close_window() {
  QWidget* window = shown_window();
  later([window] { window->close(); });
}
void call_from_loop(void (*call)()) { later(call); }
void press_escape_until_closed() {
  QWidget* window = shown_window();
  auto* repeat = new QTimer(window);
  QObject::connect(repeat, &QTimer::timeout, window, [window] {
    if (window->isVisible()) QTest::keyClick(window, Qt::Key_Escape);
  });
  later([repeat] { repeat->start(100); });
}

int run_program(const frame_hooks& hooks, message_port& messages) {
  return run_patcher_window(program_argc, program_argv, demo_stock_identity, hooks, &messages);
}

}  // namespace vantor::probe

int main(int argc, char** argv) {
  vantor::probe::program_argc = argc;
  vantor::probe::program_argv = argv;
  return vantor::probe::probe_main(vantor::platform::command_line_arguments(argc, argv));
}
