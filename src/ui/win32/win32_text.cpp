#include "ui/win32/win32_text.h"

#include "platform/utf16.h"

namespace vantor {

std::string window_text(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, wide.data(), length + 1);
  wide.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
  return platform::from_utf16(wide);
}

}  // namespace vantor
