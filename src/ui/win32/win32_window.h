#pragma once
// The main window on Win32, built from the stored definition in one generic
// pass over its units: plain Win32 controls for the edit boxes and buttons,
// self-drawn labels and picture box, the units addressed by their stored
// names, the keyboard rules and the placement on the screen.

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "ui/event_bindings.h"
#include "ui/unit_registry.h"
#include "ui/unit_surface.h"
#include "ui/win32/win32_window_object.h"
#include "ui/window_definition.h"

namespace vantor {

class win32_caption_label;
class win32_picture_box;

/// The window class of the main window.
inline constexpr const wchar_t* main_window_class = L"VantorPatcherWindow";
/// The program's icon in its resources (title bar and taskbar).
inline constexpr int application_icon_id = 1;

class win32_window final : public unit_surface, public win32_window_object<win32_window> {
 public:
  /// The window and its units, hidden, with the units marked visible shown
  /// inside it, in stored order with the first on top. Null when the
  /// definition cannot be built. The definition must outlive the window.
  static std::unique_ptr<win32_window> build(const window_definition& definition);
  ~win32_window() override;

  const window_definition& definition() const { return definition_; }
  /// The window of a unit; null for units without one (the archive
  /// component) and for unknown names.
  HWND unit_handle(std::string_view name) const;
  /// The stored name of a unit's window; empty when it is none of them.
  std::string_view unit_name(HWND window) const;
  /// A picture box by name; null for other names.
  win32_picture_box* picture_box(std::string_view name) const;

  /// Where bound events go.
  void set_event_sink(event_sink sink) { sink_ = std::move(sink); }
  /// Hands a unit's event to the sink when the table binds it.
  void raise_event(std::string_view unit, unit_event event, const event_args& args = {});
  /// Called when the user closes the window (close box, Alt+F4, Esc).
  void set_close_handler(std::function<void()> handler) { on_close_ = std::move(handler); }

  /// While a command runs: the window does not close and shows the busy
  /// pointer over itself and its units (the toolkit drops their input but
  /// Esc). Esc or the close box meanwhile closes it when the command ends.
  void set_busy(bool busy);

  /// Shows the window, activated, centred on the primary screen, with the
  /// focus on the first unit of the Tab order.
  void show_centred();

  /// The window's own keys, looked at before a message is translated and
  /// dispatched: Tab and Shift+Tab walk the focus order, Esc closes the
  /// window, Enter does nothing outside a box that takes several lines, F1
  /// does nothing. True when the message was taken.
  bool take_key(const MSG& message);

  // The units' operations.
  void set_picture(std::string_view unit, const byte_string& bytes) override;
  void set_content(std::string_view unit, std::string_view content) override;
  text caption(std::string_view unit) const override;

 private:
  struct unit;

  explicit win32_window(const window_definition& definition);
  bool create_frame();
  bool create_unit(const unit_definition& stored, const unit_definition& placed, int id);
  const unit* find(std::string_view name) const;
  const unit* find(HWND window) const;
  friend class win32_window_object<win32_window>;
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT edit_colours(HDC dc, HWND box);

  const window_definition& definition_;
  window_definition layout_;  ///< the definition at this screen's DPI
  std::vector<std::unique_ptr<unit>> units_;
  unit_registry<HWND> handles_;  ///< the units that have a window
  std::vector<std::string_view> focus_chain_;
  HWND saved_focus_ = nullptr;
  bool busy_ = false;
  bool close_asked_ = false;  ///< Esc or the close box while busy: closes when the command ends
  event_sink sink_;
  std::function<void()> on_close_;
};

}  // namespace vantor
