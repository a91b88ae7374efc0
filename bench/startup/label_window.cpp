// A second reference: the empty window with one line of Chinese text, to
// show how much of any window's start-up is the desktop's font machinery
// (fontconfig and the CJK face), which the empty window never touches.

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QWidget>

#include "shown_signal.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(749, 341);
  QFont font;
  font.setFamilies({QStringLiteral("Noto Sans CJK SC")});
  font.setPixelSize(12);
  window.setFont(font);
  auto* label = new QLabel(QStringLiteral("动画信息"), &window);
  label->move(328, 240);
  new vantor::bench::shown_signal(window);
  window.show();
  return QApplication::exec();
}
