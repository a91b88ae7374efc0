// The patcher as it starts for a player, in the game folder given as the
// first argument; it quits once its window is on the screen.

#include <QApplication>
#include <QWidget>
#include <string>

#include "app/qt/run_patcher_window.h"
#include "formats/demo_bundle.h"
#include "shown_signal.h"

int main(int argc, char** argv) {
  vantor::frame_hooks hooks;
  if (argc > 1) hooks.run_folder = argv[1];
  hooks.window_shown = [] {
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible()) new vantor::bench::shown_signal(*window);
  };
  return vantor::run_patcher_window(argc, argv, vantor::demo_stock_identity, hooks);
}
