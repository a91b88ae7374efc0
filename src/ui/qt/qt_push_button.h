#pragma once
// A push button that is never the default one and leaves the arrow keys
// alone: in this window only Tab and Shift+Tab move the focus.

#include <QPushButton>

namespace vantor {

class qt_push_button final : public QPushButton {
 public:
  qt_push_button(QWidget* parent, const QString& caption);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vantor
