// The reference: a Qt Widgets program that shows one empty window.

#include <QApplication>
#include <QWidget>

#include "shown_signal.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(749, 341);
  new vantor::bench::shown_signal(window);
  window.show();
  return QApplication::exec();
}
