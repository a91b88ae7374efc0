#pragma once
// The main window's Tab table: from each unit that takes the focus, where
// Tab and Shift+Tab go, wrapping around at both ends. The table test and
// both front ends' input tests walk it.

#include <ostream>
#include <vector>

namespace vantor::testing_rows {

struct tab_press {
  const char* from;
  bool shift;
  const char* to;
};

inline void PrintTo(const tab_press& row, std::ostream* out) {
  *out << row.from << (row.shift ? " Shift+Tab" : " Tab");
}

inline const std::vector<tab_press>& main_window_tab_rows() {
  static const std::vector<tab_press> rows = {
      {"按钮2", false, "按钮1"},   {"按钮1", false, "编辑框1"}, {"编辑框1", false, "编辑框2"},
      {"编辑框2", false, "按钮2"}, {"按钮2", true, "编辑框2"},  {"编辑框2", true, "编辑框1"},
      {"编辑框1", true, "按钮1"},  {"按钮1", true, "按钮2"},
  };
  return rows;
}

}  // namespace vantor::testing_rows
