#include "ui/qt/qt_edit_boxes.h"

#include <QPainter>
#include <QTextCursor>
#include <limits>

#include "ui/edit_box_text.h"
#include "ui/qt/qt_conversions.h"

namespace vantor {

namespace {

QPalette edit_palette(QPalette palette, const edit_box_properties& properties) {
  palette.setColor(QPalette::Base, to_qcolor(properties.background));
  palette.setColor(QPalette::Text, to_qcolor(properties.text_colour));
  return palette;
}

// The selection stays but is painted in the box's own colours, which hides
// it until the box has the focus again.
QPalette hidden_selection(QPalette palette) {
  palette.setColor(QPalette::Highlight, palette.color(QPalette::Base));
  palette.setColor(QPalette::HighlightedText, palette.color(QPalette::Text));
  return palette;
}

// The text as Qt's boxes take it, by the one rule for every desktop.
QString display_text(std::string_view content, bool multi_line) {
  return to_qstring(edit_box_content(content, multi_line, "\n"));
}

}  // namespace

qt_multi_line_edit::qt_multi_line_edit(QWidget* parent, const edit_box_properties& properties)
    : QPlainTextEdit(parent), palette_(edit_palette(palette(), properties)) {
  setPalette(hidden_selection(palette_));
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setVerticalScrollBarPolicy(properties.vertical_scroll_bar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tab walks the window's units; it never types a tab character.
  setTabChangesFocus(true);
  setFrameStyle(properties.border == edit_border::sunken ? QFrame::StyledPanel | QFrame::Sunken
                                                         : QFrame::Box | QFrame::Plain);
  if (properties.border == edit_border::thin_line) setLineWidth(1);
}

void qt_multi_line_edit::set_content(std::string_view content) {
  setPlainText(display_text(content, true));
  moveCursor(QTextCursor::Start);
}

void qt_multi_line_edit::focusInEvent(QFocusEvent* event) {
  setPalette(palette_);
  QPlainTextEdit::focusInEvent(event);
}

void qt_multi_line_edit::focusOutEvent(QFocusEvent* event) {
  setPalette(hidden_selection(palette_));
  QPlainTextEdit::focusOutEvent(event);
}

qt_single_line_edit::qt_single_line_edit(QWidget* parent, const edit_box_properties& properties)
    : QLineEdit(parent),
      thin_border_(properties.border == edit_border::thin_line),
      palette_(edit_palette(palette(), properties)) {
  setPalette(hidden_selection(palette_));
  setMaxLength(std::numeric_limits<int>::max());
  // Like the desktop's own single-line boxes: the text sits at the top.
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setFrame(!thin_border_);
  if (thin_border_) setContentsMargins(1, 1, 1, 1);
}

void qt_single_line_edit::set_content(std::string_view content) {
  setText(display_text(content, false));
  setCursorPosition(0);
}

void qt_single_line_edit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (!thin_border_) return;
  QPainter painter(this);
  painter.setPen(QColor(0, 0, 0));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void qt_single_line_edit::focusInEvent(QFocusEvent* event) {
  setPalette(palette_);
  QLineEdit::focusInEvent(event);
}

void qt_single_line_edit::focusOutEvent(QFocusEvent* event) {
  setPalette(hidden_selection(palette_));
  QLineEdit::focusOutEvent(event);
}

}  // namespace vantor
