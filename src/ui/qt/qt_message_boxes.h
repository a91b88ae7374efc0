#pragma once
// The program's two kinds of message box: the workflow's messages and the
// fatal-error report. Neither has an owner window; both block the whole
// program until they are dismissed.

#include <string_view>

#include "ui/message_box_titles.h"
#include "workflow/ports.h"

class QMessageBox;

namespace vantor {

/// The workflow's messages as plain boxes: title "信息：", no icon, one OK
/// button.
class qt_message_port final : public message_port {
 public:
  void show_message(std::string_view message) override;
};

/// The fatal-error report: title "错误", the stop icon, one OK button.
void show_fatal_report(std::string_view report);

/// Sets a box up the way both kinds share; exposed for the tests.
void prepare_message_box(QMessageBox& box, std::string_view title, std::string_view message);

}  // namespace vantor
