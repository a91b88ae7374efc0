// The reference: a Win32 program that shows one empty window of the
// patcher's size and frame, on the button face.

#include <windows.h>

#include "shown_clock.h"

int main() {
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = ::DefWindowProcW;
  type.hInstance = ::GetModuleHandleW(nullptr);
  type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  type.lpszClassName = L"VantorBenchEmptyWindow";
  ::RegisterClassExW(&type);
  HWND window = ::CreateWindowExW(0, type.lpszClassName, L"Empty", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 749, 341, nullptr, nullptr, type.hInstance, nullptr);
  if (window == nullptr) return 1;
  ::ShowWindow(window, SW_SHOW);
  vantor::bench::report_shown(window);
  ::DestroyWindow(window);
  return 0;
}
