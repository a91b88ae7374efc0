#include "ui/win32/win32_window_object.h"

namespace vantor {

void register_window_class(WNDCLASSEXW type) {
  type.cbSize = sizeof type;
  type.hInstance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(type.hInstance, type.lpszClassName, &existing)) return;
  ::RegisterClassExW(&type);
}

}  // namespace vantor
