#pragma once
// The program frame's toolkit on Qt: the QApplication's message loop, the
// main window built from the table, and the fatal-error box.

#include <memory>

#include "app/frame/window_holding_toolkit.h"
#include "ui/qt_window.h"

namespace vantor {

class qt_toolkit final : public window_holding_toolkit<qt_window> {
 public:
  void run_message_loop() override;
  void quit_message_loop() override;
  void show_fatal_report(std::string_view report) override;

 protected:
  std::unique_ptr<qt_window> make_window(const window_definition& definition) override;
};

}  // namespace vantor
