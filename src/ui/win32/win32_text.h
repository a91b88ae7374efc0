#pragma once
// The program's texts are UTF-8; the wide Win32 calls take UTF-16. Every
// text crosses here on its way in or out.

#include <windows.h>

#include <string>
#include <string_view>

namespace vantor {

std::wstring wide_text(std::string_view utf8);
std::string utf8_text(std::wstring_view wide);

/// Lines ended by CR LF, as the multi-line edit box wants them: every LF
/// without a CR before it gets one.
std::string crlf_lines(std::string_view text);

/// A window's text (a caption, an edit box's contents) as UTF-8.
std::string window_text(HWND window);

}  // namespace vantor
