#pragma once
// The program frame's toolkit on Qt: the QApplication's message loop, the
// main window built from the table, and the fatal-error box.

#include <memory>

#include <QObject>

#include "app/frame/window_holding_toolkit.h"
#include "ui/qt/qt_window.h"

namespace vantor {

class qt_toolkit final : public window_holding_toolkit<qt_window> {
 public:
  qt_toolkit();
  ~qt_toolkit() override;
  qt_toolkit(const qt_toolkit&) = delete;
  qt_toolkit& operator=(const qt_toolkit&) = delete;

  void run_message_loop() override;
  void quit_message_loop() override;
  void show_fatal_report(std::string_view report) override;
  void post_to_window_thread(std::function<void()> call) override;
  void deliver_events_until(const std::function<bool()>& finished) override;
  void set_busy(bool busy) override;

 protected:
  std::unique_ptr<qt_window> make_window(const window_definition& definition) override;

 private:
  /// Drops keys, clicks and shortcuts meant for the busy main window.
  class input_hold final : public QObject {
   public:
    explicit input_hold(qt_toolkit& toolkit) : toolkit_(toolkit) {}
    bool eventFilter(QObject* target, QEvent* event) override;

   private:
    qt_toolkit& toolkit_;
  };

  input_hold hold_{*this};
  bool busy_ = false;
};

}  // namespace vantor
