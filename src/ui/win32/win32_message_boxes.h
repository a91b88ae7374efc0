#pragma once
// The program's two kinds of message box, as the desktop's own boxes: the
// workflow's messages and the fatal-error report. Each is modal to the main
// window while it is on the screen, and to the whole program otherwise.

#include <windows.h>

#include <functional>
#include <string_view>

#include "ui/message_box_titles.h"
#include "workflow/ports.h"

namespace vantor {

/// The workflow's messages: title "信息：", no icon, one OK button.
class win32_message_port final : public message_port {
 public:
  /// owner gives the window the boxes belong to when they come up (null
  /// when there is none on the screen).
  explicit win32_message_port(std::function<HWND()> owner) : owner_(std::move(owner)) {}
  void show_message(std::string_view message) override;
  /// Title "信息：", a question icon, the buttons 是 and 否.
  bool ask_yes_no(std::string_view question) override;

 private:
  std::function<HWND()> owner_;
};

/// The fatal-error report: title "错误", the stop icon, one OK button;
/// returns when it has been dismissed.
void show_fatal_report_box(HWND owner, std::string_view report);

/// The flags of both boxes: OK only, the stop icon for the report, and
/// modal to the program when there is no owner.
UINT message_box_style(bool fatal, bool has_owner);

}  // namespace vantor
