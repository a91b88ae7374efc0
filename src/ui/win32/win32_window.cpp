#include "ui/win32/win32_window.h"

#include <type_traits>
#include <variant>

#include "platform/utf16.h"
#include "ui/edit_box_text.h"
#include "ui/focus_order.h"
#include "ui/win32/win32_caption_label.h"
#include "ui/win32/win32_layout.h"
#include "ui/win32/win32_picture_box.h"
#include "ui/win32/win32_text.h"
#include "ui/window_geometry.h"

namespace vantor {

enum class unit_kind { label, edit_box, picture_box, button };

struct win32_window::unit {
  std::string_view name;
  unit_kind kind = unit_kind::label;
  HWND handle = nullptr;
  bool multi_line = false;
  COLORREF text_colour = 0;
  HBRUSH background = nullptr;  ///< an edit box's own brush; null for the button face
  colour stored_background{};
  std::unique_ptr<win32_caption_label> label;
  std::unique_ptr<win32_picture_box> picture;

  ~unit() {
    if (background != nullptr) ::DeleteObject(background);
  }
};

namespace {

HMENU child_id(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

RECT place_of(const unit_definition& unit) {
  return {unit.left, unit.top, unit.left + unit.width, unit.top + unit.height};
}

DWORD frame_style(const window_definition& window) {
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (window.resizable) style |= WS_THICKFRAME;
  if (window.minimise_box) style |= WS_MINIMIZEBOX;
  if (window.maximise_box) style |= WS_MAXIMIZEBOX;
  return style;
}

constexpr DWORD frame_ex_style = WS_EX_APPWINDOW;

HICON application_icon(int width_metric, int height_metric) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(application_icon_id), IMAGE_ICON,
                                         ::GetSystemMetrics(width_metric), ::GetSystemMetrics(height_metric),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

void register_class(WNDPROC procedure) {
  WNDCLASSEXW type{};
  type.lpfnWndProc = procedure;
  type.hIcon = application_icon(SM_CXICON, SM_CYICON);
  type.hIconSm = application_icon(SM_CXSMICON, SM_CYSMICON);
  type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  type.lpszClassName = main_window_class;
  register_window_class(type);
}

// Only what the window can do stays in its system menu: with neither
// resizing nor minimise and maximise boxes that is Move and Close.
void trim_system_menu(HWND window, const window_definition& definition) {
  HMENU menu = ::GetSystemMenu(window, FALSE);
  if (menu == nullptr) return;
  if (!definition.resizable) ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  if (!definition.minimise_box) ::DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
  if (!definition.maximise_box) ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  if (!definition.minimise_box && !definition.maximise_box) ::DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
  if (!definition.close_box) ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

HWND create_control(const wchar_t* type, std::string_view caption, DWORD style, DWORD ex_style, const RECT& place,
                    HWND parent, int id) {
  const std::wstring wide_caption = platform::to_utf16(caption);
  return ::CreateWindowExW(ex_style, type, wide_caption.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, place.left,
                           place.top, place.right - place.left, place.bottom - place.top, parent, child_id(id),
                           ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

win32_window::win32_window(const window_definition& definition)
    : definition_(definition),
      layout_(scaled_definition(definition, system_dpi())),
      focus_chain_(focus_chain(definition)) {}

win32_window::~win32_window() {
  if (handle_ != nullptr) ::DestroyWindow(handle_);
}

std::unique_ptr<win32_window> win32_window::build(const window_definition& definition) {
  if (!is_buildable(definition)) return nullptr;
  std::unique_ptr<win32_window> window(new win32_window(definition));
  if (!window->create_frame()) return nullptr;
  for (std::size_t i = 0; i < definition.units.size(); ++i) {
    const int id = 100 + static_cast<int>(i);
    if (!window->create_unit(definition.units[i], window->layout_.units[i], id)) return nullptr;
  }
  if (!window->focus_chain_.empty()) window->saved_focus_ = window->unit_handle(window->focus_chain_.front());
  return window;
}

bool win32_window::create_frame() {
  register_class(&procedure);
  const DWORD style = frame_style(definition_);
  // The frame's widths on this desktop, from an empty client area.
  RECT frame{0, 0, 0, 0};
  ::AdjustWindowRectEx(&frame, style, FALSE, frame_ex_style);
  const frame_extents extents{-frame.left, -frame.top, frame.right, frame.bottom};
  const window_size client = client_size(layout_, extents);
  const window_size outer{client.width + extents.left + extents.right, client.height + extents.top + extents.bottom};
  const window_point origin = centred_origin({::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}, outer);
  const std::wstring caption = platform::to_utf16(definition_.caption);
  const RECT place{origin.x, origin.y, origin.x + outer.width, origin.y + outer.height};
  if (create_window(frame_ex_style, main_window_class, caption.c_str(), style, place, nullptr, nullptr) == nullptr) {
    return false;
  }
  trim_system_menu(handle_, definition_);
  // The icons of the title bar and the taskbar, where the class's are not asked.
  if (HICON big = application_icon(SM_CXICON, SM_CYICON)) {
    ::SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  }
  if (HICON small = application_icon(SM_CXSMICON, SM_CYSMICON)) {
    ::SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  return true;
}

bool win32_window::create_unit(const unit_definition& stored, const unit_definition& placed, int id) {
  auto entry = std::make_unique<unit>();
  entry->name = stored.name;
  const RECT place = place_of(placed);
  const DWORD focus = stored.takes_focus ? WS_TABSTOP : 0;
  const bool made = std::visit(
      [&](const auto& properties) -> bool {
        using kind = std::decay_t<decltype(properties)>;
        if constexpr (std::is_same_v<kind, label_properties>) {
          entry->kind = unit_kind::label;
          entry->label = std::make_unique<win32_caption_label>(std::get<label_properties>(placed.properties));
          entry->handle = entry->label->create(handle_, id, place, stored.initial_text);
          const std::string_view name = stored.name;
          entry->label->set_release_handler([this, name](std::int32_t x, std::int32_t y, std::int32_t keys) {
            raise_event(name, unit_event::left_button_released, {x, y, keys});
          });
        } else if constexpr (std::is_same_v<kind, edit_box_properties>) {
          entry->kind = unit_kind::edit_box;
          entry->multi_line = properties.multi_line;
          entry->text_colour = to_colorref(properties.text_colour);
          entry->stored_background = properties.background;
          if (!properties.background.button_face) {
            entry->background = ::CreateSolidBrush(to_colorref(properties.background));
          }
          // Several lines wrap at the box's width (no sideways scrolling);
          // one line scrolls sideways with the caret. No ES_NOHIDESEL: the
          // selection shows only while the box has the focus.
          DWORD style = focus | ES_LEFT;
          style |= properties.multi_line ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL : ES_AUTOHSCROLL;
          if (properties.vertical_scroll_bar) style |= WS_VSCROLL;
          DWORD ex_style = 0;
          if (properties.border == edit_border::thin_line) style |= WS_BORDER;
          if (properties.border == edit_border::sunken) ex_style |= WS_EX_CLIENTEDGE;
          const std::string initial = edit_box_content(stored.initial_text, properties.multi_line, "\r\n");
          entry->handle = create_control(L"Edit", initial, style, ex_style, place, handle_, id);
          if (entry->handle != nullptr) {
            ::SendMessageW(entry->handle, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                           FALSE);
            ::SendMessageW(entry->handle, EM_SETLIMITTEXT, 0, 0);  // as much text as the system allows
            ::SendMessageW(entry->handle, EM_SETSEL, 0, 0);
          }
        } else if constexpr (std::is_same_v<kind, picture_box_properties>) {
          entry->kind = unit_kind::picture_box;
          entry->picture = std::make_unique<win32_picture_box>(properties);
          entry->handle = entry->picture->create(handle_, id, place);
          entry->picture->set_picture(properties.initial_picture);
        } else if constexpr (std::is_same_v<kind, button_properties>) {
          entry->kind = unit_kind::button;
          const DWORD style = focus | BS_MULTILINE | (properties.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
          entry->handle = create_control(L"Button", stored.initial_text, style, 0, place, handle_, id);
          if (entry->handle != nullptr) {
            ::SendMessageW(entry->handle, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                           FALSE);
          }
        } else {
          static_assert(std::is_same_v<kind, archive_properties>);
          return true;  // the archive component has no window
        }
        return entry->handle != nullptr;
      },
      stored.properties);
  if (!made) return false;
  if (entry->handle == nullptr) return true;
  // Each unit goes below the ones before it: the first stored lies on top.
  ::SetWindowPos(entry->handle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Shown inside the still hidden window: they appear with it.
  if (stored.visible) ::ShowWindow(entry->handle, SW_SHOWNA);
  handles_.add(entry->name, entry->handle);
  units_.push_back(std::move(entry));
  return true;
}

const win32_window::unit* win32_window::find(std::string_view name) const {
  for (const auto& entry : units_) {
    if (entry->name == name) return entry.get();
  }
  return nullptr;
}

const win32_window::unit* win32_window::find(HWND window) const {
  const std::string_view name = handles_.name(window);
  return name.empty() ? nullptr : find(name);
}

HWND win32_window::unit_handle(std::string_view name) const { return handles_.handle(name); }

std::string_view win32_window::unit_name(HWND window) const { return handles_.name(window); }

win32_picture_box* win32_window::picture_box(std::string_view name) const {
  const unit* found = find(name);
  return found != nullptr ? found->picture.get() : nullptr;
}

void win32_window::raise_event(std::string_view unit_name, unit_event event, const event_args& args) {
  raise_bound_event(definition_, sink_, unit_name, event, args);
}

void win32_window::show_centred() {
  RECT outer{};
  ::GetWindowRect(handle_, &outer);
  const window_point origin = centred_origin({::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)},
                                             {outer.right - outer.left, outer.bottom - outer.top});
  ::SetWindowPos(handle_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(handle_, SW_SHOW);
  ::SetForegroundWindow(handle_);
  // Activation gives the focus to the saved unit; a window the desktop did
  // not activate still gets its focus set.
  if (saved_focus_ != nullptr && ::GetFocus() != saved_focus_) ::SetFocus(saved_focus_);
}

void win32_window::set_busy(bool busy) {
  busy_ = busy;
  // Esc or the close box while the command ended (the last box just
  // answered, its thread still winding down) is not lost: the window closes
  // now that it may.
  if (!busy && close_asked_) {
    close_asked_ = false;
    ::PostMessageW(handle_, WM_CLOSE, 0, 0);
  }
  // The pointer changes now, not at its next move: a move to where it is
  // makes the system ask the window under it again. The arrow first, for a
  // window that closes before it is asked.
  POINT at{};
  if (::GetCursorPos(&at)) ::SetCursorPos(at.x, at.y);
  ::SetCursor(::LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

bool win32_window::take_key(const MSG& message) {
  if (message.message != WM_KEYDOWN || handle_ == nullptr) return false;
  if (message.hwnd != handle_ && !::IsChild(handle_, message.hwnd)) return false;
  switch (message.wParam) {
    case VK_TAB: {
      // With the focus on the window itself Tab moves nothing.
      const bool backward = ::GetKeyState(VK_SHIFT) < 0;
      if (HWND next = handles_.next_in_tab_order(focus_chain_, ::GetFocus(), !backward)) ::SetFocus(next);
      return true;
    }
    case VK_ESCAPE:
      if (!definition_.escape_closes) return false;
      // The same way as the close box.
      ::SendMessageW(handle_, WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    case VK_RETURN: {
      // A box of several lines starts a new one; nothing else takes Enter,
      // so it clicks no button.
      const unit* focused = find(message.hwnd);
      return focused == nullptr || !(focused->kind == unit_kind::edit_box && focused->multi_line);
    }
    case VK_F1:
      return true;
    default:
      return false;
  }
}

void win32_window::set_picture(std::string_view name, const byte_string& bytes) {
  if (win32_picture_box* box = picture_box(name)) box->set_picture(bytes);
}

void win32_window::set_content(std::string_view name, std::string_view content) {
  const unit* found = find(name);
  if (found == nullptr || found->kind != unit_kind::edit_box) return;
  const std::wstring wide_content = platform::to_utf16(edit_box_content(content, found->multi_line, "\r\n"));
  ::SetWindowTextW(found->handle, wide_content.c_str());
  ::SendMessageW(found->handle, EM_SETSEL, 0, 0);
  ::SendMessageW(found->handle, EM_SCROLLCARET, 0, 0);
}

text win32_window::caption(std::string_view name) const {
  const unit* found = find(name);
  if (found == nullptr || found->kind != unit_kind::label) return {};
  return window_text(found->handle);
}

LRESULT win32_window::edit_colours(HDC dc, HWND box) {
  const unit* found = find(box);
  if (found == nullptr || found->kind != unit_kind::edit_box) {
    return ::DefWindowProcW(handle_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box));
  }
  ::SetTextColor(dc, found->text_colour);
  ::SetBkColor(dc, to_colorref(found->stored_background));
  HBRUSH brush = found->background != nullptr ? found->background : ::GetSysColorBrush(COLOR_BTNFACE);
  return reinterpret_cast<LRESULT>(brush);
}

LRESULT win32_window::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT area{};
      ::GetClientRect(handle_, &area);
      auto* dc = reinterpret_cast<HDC>(wparam);
      ::SetDCBrushColor(dc, to_colorref(definition_.background));
      ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
      return 1;
    }
    case WM_CTLCOLOREDIT:
      return edit_colours(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        const unit* clicked = find(reinterpret_cast<HWND>(lparam));
        if (clicked != nullptr && clicked->kind == unit_kind::button) raise_event(clicked->name, unit_event::clicked);
        return 0;
      }
      break;
    case WM_ACTIVATE:
      // The unit that had the focus gets it back when the window is active
      // again, as in the desktop's dialogs.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(handle_, focus)) saved_focus_ = focus;
        return 0;
      }
      if (saved_focus_ != nullptr && ::IsWindow(saved_focus_) && ::IsWindowVisible(handle_)) {
        ::SetFocus(saved_focus_);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      // For the window and every unit in it: a unit asks its parent first.
      if (busy_) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      // Closed, not destroyed: the program frame destroys the window when
      // the program ends. Never while a command is at work in the game
      // folder: it ends first, and the window closes then.
      if (busy_) {
        close_asked_ = true;
        return 0;
      }
      if (::IsWindowVisible(handle_)) {
        ::ShowWindow(handle_, SW_HIDE);
        if (on_close_) on_close_();
      }
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(handle_, message, wparam, lparam);
}

}  // namespace vantor
