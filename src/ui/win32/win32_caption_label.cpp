#include "ui/win32/win32_caption_label.h"

#include <algorithm>
#include <vector>

#include "platform/utf16.h"
#include "ui/event_bindings.h"
#include "ui/win32/win32_layout.h"
#include "ui/win32/win32_text.h"

namespace vantor {

namespace {

HCURSOR pointer_of(pointer_shape pointer) {
  LPCWSTR shape = IDC_ARROW;
  if (pointer == pointer_shape::hand) shape = IDC_HAND;
  if (pointer == pointer_shape::i_beam) shape = IDC_IBEAM;
  return ::LoadCursorW(nullptr, shape);
}

HFONT font_in(const font_record& record, BYTE charset) {
  return ::CreateFontW(-record.character_height, 0, 0, 0, record.weight, record.italic ? TRUE : FALSE,
                       record.underline ? TRUE : FALSE, record.strike_out ? TRUE : FALSE, charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"");
}

// Whether the font has a glyph of its own for every character of text.
bool has_glyphs(HFONT font, std::wstring_view text) {
  if (text.empty()) return true;
  HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return true;
  const HGDIOBJ previous = ::SelectObject(screen, font);
  std::vector<WORD> glyphs(text.size());
  const DWORD found = ::GetGlyphIndicesW(screen, text.data(), static_cast<int>(text.size()), glyphs.data(),
                                         GGI_MARK_NONEXISTING_GLYPHS);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  return found != GDI_ERROR && std::none_of(glyphs.begin(), glyphs.end(), [](WORD g) { return g == 0xFFFF; });
}

}  // namespace

HFONT create_label_font(const font_record& record, std::wstring_view caption) {
  HFONT font = font_in(record, DEFAULT_CHARSET);
  if (font == nullptr || has_glyphs(font, caption)) return font;
  HFONT chinese = font_in(record, GB2312_CHARSET);
  if (chinese == nullptr) return font;
  ::DeleteObject(font);
  return chinese;
}

win32_caption_label::win32_caption_label(const label_properties& properties)
    : properties_(properties), pointer_(pointer_of(properties.pointer)) {}

win32_caption_label::~win32_caption_label() {
  detach_and_destroy();
  if (font_ != nullptr) ::DeleteObject(font_);
}

HWND win32_caption_label::create(HWND parent, int id, const RECT& place, std::string_view caption) {
  WNDCLASSEXW type{};
  type.style = CS_HREDRAW | CS_VREDRAW;
  type.lpfnWndProc = &procedure;
  type.lpszClassName = caption_label_class;
  register_window_class(type);
  const std::wstring wide_caption = platform::to_utf16(caption);
  font_ = create_label_font(properties_.font, wide_caption);
  return create_window(0, caption_label_class, wide_caption.c_str(), WS_CHILD | WS_CLIPSIBLINGS, place, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT win32_caption_label::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills everything
    case WM_PAINT:
      paint();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT) {
        ::SetCursor(pointer_);
        return TRUE;
      }
      break;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT: {
      const LRESULT result = ::DefWindowProcW(handle_, message, wparam, lparam);
      ::InvalidateRect(handle_, nullptr, FALSE);
      return result;
    }
    case WM_LBUTTONUP:
      released(lparam, wparam);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(handle_, message, wparam, lparam);
}

void win32_caption_label::paint() {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(handle_, &paint);
  RECT area{};
  ::GetClientRect(handle_, &area);
  ::SetDCBrushColor(dc, to_colorref(properties_.background));
  ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
  const HGDIOBJ previous = ::SelectObject(dc, font_);
  ::SetTextColor(dc, to_colorref(properties_.text_colour));
  ::SetBkMode(dc, TRANSPARENT);
  const std::wstring caption = platform::to_utf16(window_text(handle_));
  ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, previous);
  ::EndPaint(handle_, &paint);
}

void win32_caption_label::released(LPARAM position, WPARAM keys) {
  // Signed: a release captured from outside the label has a negative place.
  const POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  RECT area{};
  ::GetClientRect(handle_, &area);
  if (!on_release_ || !::PtInRect(&area, at)) return;
  const bool alt = ::GetKeyState(VK_MENU) < 0;
  on_release_(mouse_coordinate(at.x), mouse_coordinate(at.y),
              key_state_of((keys & MK_CONTROL) != 0, (keys & MK_SHIFT) != 0, alt));
}

}  // namespace vantor
