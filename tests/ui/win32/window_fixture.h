#pragma once
// The main window built from the stored definition through the toolkit, as
// the program frame builds it, with the events it raises and its closes
// recorded.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/win32/win32_toolkit.h"
#include "win32_test_support.h"

namespace vantor::testing {

struct raised_event {
  std::string unit;
  unit_event event;
  event_args args;
  bool operator==(const raised_event& other) const {
    return unit == other.unit && event == other.event && args.x == other.args.x && args.y == other.args.y &&
           args.key_state == other.args.key_state;
  }
};

inline std::ostream& operator<<(std::ostream& out, const raised_event& e) {
  return out << e.unit << " event " << static_cast<int>(e.event) << " (" << e.args.x << ", " << e.args.y << ", "
             << e.args.key_state << ")";
}

class BuiltWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(toolkit.build_window(
        main_window_definition(),
        [this](std::string_view unit, unit_event event, const event_args& args) {
          events.push_back({std::string(unit), event, args});
        },
        [this] { ++closes; }));
  }

  HWND window() const { return toolkit.window()->handle(); }
  HWND unit(std::string_view name) const { return toolkit.window()->unit_handle(name); }
  std::string focused() const { return std::string(toolkit.window()->unit_name(::GetFocus())); }

  win32_toolkit toolkit;
  std::vector<raised_event> events;
  int closes = 0;
};

class ShownWindow : public BuiltWindow {
 protected:
  void SetUp() override {
    BuiltWindow::SetUp();
    if (HasFatalFailure()) return;
    toolkit.show_window();
    settle(toolkit);
    ASSERT_EQ(::GetForegroundWindow(), window()) << "the shown window is not the active one";
  }
};

}  // namespace vantor::testing
