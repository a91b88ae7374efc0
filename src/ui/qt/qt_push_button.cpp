#include "ui/qt/qt_push_button.h"

#include <QKeyEvent>

namespace vantor {

qt_push_button::qt_push_button(QWidget* parent, const QString& caption) : QPushButton(caption, parent) {
  setAutoDefault(false);
  setDefault(false);
}

void qt_push_button::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      event->ignore();
      return;
    default:
      QPushButton::keyPressEvent(event);
  }
}

}  // namespace vantor
