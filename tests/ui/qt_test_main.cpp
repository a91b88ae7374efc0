// gtest main for the window tests: one QApplication for the whole run, with
// the program's own default font. Listing the tests needs no display.

#include <gtest/gtest.h>

#include <QApplication>

#include "ui/qt_conversions.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setFont(vantor::default_gui_font());
  return RUN_ALL_TESTS();
}
