#pragma once
// The two kinds of edit box: several wrapping lines with a vertical scroll
// bar, or one line that scrolls sideways with the caret. Both hide their
// selection while they do not have the focus and start with the caret at
// the beginning of the text.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <string_view>

#include "ui/window_definition.h"

namespace vantor {

class qt_multi_line_edit final : public QPlainTextEdit {
 public:
  qt_multi_line_edit(QWidget* parent, const edit_box_properties& properties);
  /// Replaces the whole text (UTF-8, lines ended by CR LF, LF or CR).
  void set_content(std::string_view content);
  QString content() const { return toPlainText(); }

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QPalette palette_;
};

class qt_single_line_edit final : public QLineEdit {
 public:
  qt_single_line_edit(QWidget* parent, const edit_box_properties& properties);
  /// Replaces the whole text (UTF-8), line-end characters kept.
  void set_content(std::string_view content);
  QString content() const { return text(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  bool thin_border_;
  QPalette palette_;
};

}  // namespace vantor
