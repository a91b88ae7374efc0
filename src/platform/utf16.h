#pragma once
// The program's texts are UTF-8; the wide Windows calls take UTF-16. Every
// text crosses between the two here. Built on Windows only.

#include <string>
#include <string_view>

namespace vantor::platform {

std::wstring to_utf16(std::string_view utf8);
std::string from_utf16(std::wstring_view utf16);

}  // namespace vantor::platform
