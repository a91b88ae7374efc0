#pragma once
// The program frame's toolkit on Qt: the QApplication's message loop, the
// main window built from the table, and the fatal-error box.

#include <memory>

#include "app/frame/window_toolkit.h"
#include "ui/qt_window.h"

namespace vantor {

class qt_toolkit final : public window_toolkit {
 public:
  bool build_window(const window_definition& definition, event_sink sink, std::function<void()> on_closed) override;
  bool has_window() const override { return window_ != nullptr; }
  unit_surface& units() override { return *window_; }
  void show_window() override { window_->show_centred(); }
  void destroy_window() override { window_.reset(); }
  void run_message_loop() override;
  void quit_message_loop() override;
  void show_fatal_report(std::string_view report) override;

  /// The live main window, or null.
  qt_window* window() const { return window_.get(); }

 private:
  std::unique_ptr<qt_window> window_;
};

}  // namespace vantor
