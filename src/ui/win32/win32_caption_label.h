#pragma once
// A self-drawn label: the background filled, then the caption on one line,
// left-aligned and vertically centred, in the label's own bold font, with
// "&" drawn as itself. The left-button release over it is its one event.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>

#include "ui/win32/win32_window_object.h"
#include "ui/window_definition.h"

namespace vantor {

/// The window class of the labels.
inline constexpr const wchar_t* caption_label_class = L"VantorCaptionLabel";

/// A label font from its record, in the desktop's default face (an empty
/// face name). Where the system's default character set has no glyphs for
/// the caption (a Chinese caption on a Western code page), the Chinese
/// character set is asked for instead, which is what the default set is on
/// a Chinese Windows.
HFONT create_label_font(const font_record& record, std::wstring_view caption);

class win32_caption_label final : public win32_window_object<win32_caption_label> {
 public:
  /// Receives the pointer in the label's coordinates and the key state.
  using release_handler = std::function<void(std::int32_t x, std::int32_t y, std::int32_t key_state)>;

  explicit win32_caption_label(const label_properties& properties);
  ~win32_caption_label();

  /// Creates the label's window, hidden, at place in the parent's client area.
  HWND create(HWND parent, int id, const RECT& place, std::string_view caption);

  /// Called for every release of the left button over the label.
  void set_release_handler(release_handler handler) { on_release_ = std::move(handler); }

 private:
  friend class win32_window_object<win32_caption_label>;
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  void paint();
  void released(LPARAM position, WPARAM keys);

  label_properties properties_;
  HFONT font_ = nullptr;
  HCURSOR pointer_ = nullptr;
  release_handler on_release_;
};

}  // namespace vantor
