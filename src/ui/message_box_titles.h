#pragma once
// The titles of the program's two kinds of message box, the same on every
// desktop.

#include <string_view>

namespace vantor {

/// The workflow's messages.
inline constexpr std::string_view message_box_title = "信息：";
/// The fatal-error report.
inline constexpr std::string_view fatal_report_title = "错误";

}  // namespace vantor
