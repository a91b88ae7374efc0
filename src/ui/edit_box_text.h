#pragma once
// What an edit box shows of a text, the same on every desktop. The game is
// a Windows game, so the rule is the one the Win32 edit controls follow: a
// box of one line shows the text as it is, line-end characters included; a
// box of several lines ends a line at each CR LF, LF and lone CR.

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

/// The lines the box shows; a box of one line shows exactly one.
std::vector<std::string_view> edit_box_lines(std::string_view text, bool multi_line);

/// The text as a toolkit's box takes it: the lines joined by that toolkit's
/// line end ("\r\n" for Win32, "\n" for Qt).
std::string edit_box_content(std::string_view text, bool multi_line, std::string_view line_end);

}  // namespace vantor
