#include "ui/win32/win32_com.h"

#include "platform/system_library_win32.h"

namespace vantor::com {

namespace {

template <typename function>
function* ole32(const char* name) {
  return platform::system_function<function>(L"ole32.dll", name);
}

}  // namespace

HRESULT start_on_thread(DWORD model) {
  static const auto call = ole32<decltype(::CoInitializeEx)>("CoInitializeEx");
  return call != nullptr ? call(nullptr, model) : E_FAIL;
}

void end_on_thread() {
  static const auto call = ole32<decltype(::CoUninitialize)>("CoUninitialize");
  if (call != nullptr) call();
}

HRESULT create_object(REFCLSID object_class, DWORD context, REFIID interface_id, void** object) {
  static const auto call = ole32<decltype(::CoCreateInstance)>("CoCreateInstance");
  return call != nullptr ? call(object_class, nullptr, context, interface_id, object) : E_FAIL;
}

HRESULT clear_value(PROPVARIANT* value) {
  static const auto call = ole32<decltype(::PropVariantClear)>("PropVariantClear");
  return call != nullptr ? call(value) : E_FAIL;
}

}  // namespace vantor::com
