#include "ui/qt/qt_caption_label.h"

#include <QMouseEvent>
#include <QPainter>

namespace vantor {

qt_caption_label::qt_caption_label(QWidget* parent, QColor text_colour, QColor background)
    : QWidget(parent), text_colour_(text_colour), background_(background) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void qt_caption_label::set_caption(const QString& caption) {
  caption_ = caption;
  update();
}

void qt_caption_label::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  painter.setFont(font());
  painter.setPen(text_colour_);
  // No Qt::TextShowMnemonic: an ampersand stays an ampersand.
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption_);
}

void qt_caption_label::mouseReleaseEvent(QMouseEvent* event) {
  // Qt delivers the release to the widget that saw the press; only a
  // release over the label counts.
  const QPoint position = event->position().toPoint();
  if (event->button() == Qt::LeftButton && rect().contains(position) && on_release_) {
    on_release_(position.x(), position.y(), event->modifiers());
  }
  QWidget::mouseReleaseEvent(event);
}

}  // namespace vantor
