#include "ui/win32/win32_picture_box.h"

#include <chrono>
#include <system_error>

#include "ui/win32/win32_layout.h"

namespace vantor {

namespace {

constexpr UINT_PTR animation_timer = 1;

// A premultiplied pixel over an opaque background colour.
std::uint32_t over_background(std::uint32_t pixel, COLORREF background) {
  const std::uint32_t alpha = pixel >> 24;
  if (alpha == 255) return pixel & 0xFFFFFF;
  const std::uint32_t behind[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
  std::uint32_t shown = 0;
  for (std::uint32_t channel = 0; channel < 3; ++channel) {
    const std::uint32_t value = ((pixel >> (8 * channel)) & 0xFF) + (behind[channel] * (255 - alpha) + 127) / 255;
    shown |= std::min<std::uint32_t>(value, 255) << (8 * channel);
  }
  return shown;
}

}  // namespace

win32_picture_box::win32_picture_box(const picture_box_properties& properties) : background_(properties.background) {}

win32_picture_box::~win32_picture_box() {
  if (handle_ != nullptr) stop_timer();
  detach_and_destroy();
}

HWND win32_picture_box::create(HWND parent, int id, const RECT& place) {
  WNDCLASSEXW type{};
  type.style = CS_HREDRAW | CS_VREDRAW;
  type.lpfnWndProc = &procedure;
  type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  type.lpszClassName = picture_box_class;
  register_window_class(type);
  return create_window(0, picture_box_class, L"", WS_CHILD | WS_CLIPSIBLINGS, place, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

COLORREF win32_picture_box::background() const { return to_colorref(background_); }

void win32_picture_box::set_picture(std::span<const std::uint8_t> bytes) {
  stop_timer();
  format_ = recognise_picture(bytes);
  if (format_ == picture_format::none) {
    data_.clear();
  } else {
    data_.assign(bytes.begin(), bytes.end());
  }
  decoded_ = format_ == picture_format::none;
  picture_ = {};
  frame_ = 0;
  start_decoding();
  if (handle_ != nullptr) ::InvalidateRect(handle_, nullptr, FALSE);
}

void win32_picture_box::start_decoding() {
  if (decoding_.valid()) replaced_.push_back(std::move(decoding_));
  // Finished ones go now; unfinished ones stay until they are.
  std::erase_if(replaced_, [](const std::future<decoded_picture>& replaced) {
    return replaced.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  if (decoded_ || handle_ == nullptr) return;
  RECT area{};
  ::GetClientRect(handle_, &area);
  try {
    decoding_ =
        std::async(std::launch::async, [data = data_, format = format_, width = area.right, height = area.bottom] {
          return decode_picture(data, format, width, height);
        });
  } catch (const std::system_error&) {
    // No thread to spare: the first paint decodes it.
  }
}

std::size_t win32_picture_box::frame_count() {
  decode();
  return picture_.frames.size();
}

void win32_picture_box::decode() {
  if (decoded_ || handle_ == nullptr) return;
  decoded_ = true;
  if (decoding_.valid()) {
    picture_ = decoding_.get();
  } else {
    RECT area{};
    ::GetClientRect(handle_, &area);
    picture_ = decode_picture(data_, format_, area.right, area.bottom);
  }
  frame_ = 0;
  if (picture_.frames.size() > 1) start_timer();
}

void win32_picture_box::start_timer() {
  timer_running_ = ::SetTimer(handle_, animation_timer, picture_.frames[frame_].delay_ms, nullptr) != 0;
}

void win32_picture_box::stop_timer() {
  if (timer_running_) ::KillTimer(handle_, animation_timer);
  timer_running_ = false;
}

void win32_picture_box::next_frame() {
  stop_timer();
  if (picture_.frames.size() < 2) return;
  frame_ = (frame_ + 1) % picture_.frames.size();
  ::InvalidateRect(handle_, nullptr, FALSE);
  start_timer();
}

LRESULT win32_picture_box::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills everything
    case WM_PAINT:
      paint();
      return 0;
    case WM_TIMER:
      if (wparam == animation_timer) {
        next_frame();
        return 0;
      }
      break;
    case WM_SIZE:
      // Decoded again at the new size.
      if (!data_.empty()) {
        stop_timer();
        decoded_ = false;
        picture_ = {};
        start_decoding();
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcW(handle_, message, wparam, lparam);
}

void win32_picture_box::paint() {
  decode();
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(handle_, &paint);
  RECT area{};
  ::GetClientRect(handle_, &area);
  const COLORREF behind = background();
  const std::size_t pixel_count = static_cast<std::size_t>(picture_.width) * static_cast<std::size_t>(picture_.height);
  if (frame_ >= picture_.frames.size() || picture_.frames[frame_].pixels.size() != pixel_count || pixel_count == 0) {
    ::SetDCBrushColor(dc, behind);
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::EndPaint(handle_, &paint);
    return;
  }
  std::vector<std::uint32_t> shown(picture_.frames[frame_].pixels);
  for (std::uint32_t& pixel : shown) pixel = over_background(pixel, behind);
  BITMAPINFO layout{};
  layout.bmiHeader.biSize = sizeof layout.bmiHeader;
  layout.bmiHeader.biWidth = picture_.width;
  layout.bmiHeader.biHeight = -picture_.height;  // rows top to bottom
  layout.bmiHeader.biPlanes = 1;
  layout.bmiHeader.biBitCount = 32;
  layout.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(picture_.width), static_cast<DWORD>(picture_.height), 0, 0, 0,
                      static_cast<UINT>(picture_.height), shown.data(), &layout, DIB_RGB_COLORS);
  ::EndPaint(handle_, &paint);
}

}  // namespace vantor
