// gtest main for the window tests: one QApplication for the whole run, with
// the program's own default font. Listing the tests needs no display.

#include <gtest/gtest.h>

#include <QApplication>

#include "ui/qt/qt_conversions.h"

// LeakSanitizer stumbles over the dynamic TLS that Qt's platform plugins and
// glib set up (it crashes walking it, or reports glib's per-thread blocks);
// the core suites check the program's own memory for leaks. Read only by
// sanitizer builds.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setFont(vantor::default_gui_font());
  return RUN_ALL_TESTS();
}
