#pragma once
// What every window of ours shares, the main window and the self-drawn
// units alike: its class registered once, and the object behind the window
// found from the window's own data, stored at WM_NCCREATE and dropped at
// WM_NCDESTROY, so that nothing reaches an object whose window is gone.

#include <windows.h>

namespace vantor {

/// Registers a window class unless this program already has it; the
/// instance and size are filled in here.
void register_window_class(WNDCLASSEXW type);

/// The object behind a window of ours. owner has
/// LRESULT handle_message(UINT, WPARAM, LPARAM) for every message from
/// WM_NCCREATE on except WM_NCDESTROY, and may have window_gone(), called
/// at WM_NCDESTROY.
template <typename owner>
class win32_window_object {
 public:
  HWND handle() const { return handle_; }

 protected:
  win32_window_object() = default;
  ~win32_window_object() = default;
  win32_window_object(const win32_window_object&) = delete;
  win32_window_object& operator=(const win32_window_object&) = delete;

  /// Creates the window with this object behind it; null when it failed.
  HWND create_window(DWORD ex_style, const wchar_t* class_name, const wchar_t* caption, DWORD style, const RECT& place,
                     HWND parent, HMENU id) {
    // The procedure learns its object from the creation parameter.
    ::CreateWindowExW(ex_style, class_name, caption, style, place.left, place.top, place.right - place.left,
                      place.bottom - place.top, parent, id, ::GetModuleHandleW(nullptr), static_cast<owner*>(this));
    return handle_;
  }

  /// Cuts the window off from this object, then destroys it: for an object
  /// that goes before its window would.
  void detach_and_destroy() {
    if (handle_ == nullptr) return;
    ::SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    ::DestroyWindow(handle_);
  }

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* created = static_cast<owner*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
      created->handle_ = window;
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      // Gone with its parent, or destroyed: nothing may reach the object now.
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->handle_ = nullptr;
      if constexpr (requires { self->window_gone(); }) self->window_gone();
      return ::DefWindowProcW(window, message, wparam, lparam);
    }
    return self->handle_message(message, wparam, lparam);
  }

  HWND handle_ = nullptr;
};

}  // namespace vantor
