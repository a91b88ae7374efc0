#include "ui/qt/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/qt/qt_conversions.h"

namespace vantor {

void prepare_message_box(QMessageBox& box, std::string_view title, std::string_view message) {
  QString body = to_qstring(message);
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  box.setWindowTitle(to_qstring(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(body);
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
}

namespace {

// A box is answered with the usual pointer, also while the window behind
// it is busy.
void run_box(QMessageBox& box) {
  const bool busy_pointer = QApplication::overrideCursor() != nullptr;
  if (busy_pointer) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy_pointer) QApplication::restoreOverrideCursor();
}

}  // namespace

void qt_message_port::show_message(std::string_view message) {
  QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::NoButton, nullptr);
  prepare_message_box(box, message_box_title, message);
  run_box(box);
}

void show_fatal_report(std::string_view report) {
  QMessageBox box(QMessageBox::Critical, QString(), QString(), QMessageBox::NoButton, nullptr);
  prepare_message_box(box, fatal_report_title, report);
  run_box(box);
}

}  // namespace vantor
