#pragma once
// A picture stretched over the whole box, or the background colour alone.
// Pictures are recognised by their leading bytes when set and decoded on a
// thread of their own from then on, while the window is built and shown;
// the first paint takes the frames from there (waiting for them if need
// be). An animated GIF plays, frame after frame, as long as the box lives.

#include <windows.h>

#include <cstdint>
#include <future>
#include <span>
#include <vector>

#include "ui/picture_format.h"
#include "ui/win32/win32_picture_decoder.h"
#include "ui/win32/win32_window_object.h"
#include "ui/window_definition.h"

namespace vantor {

/// The window class of the picture boxes.
inline constexpr const wchar_t* picture_box_class = L"VantorPictureBox";

class win32_picture_box final : public win32_window_object<win32_picture_box> {
 public:
  explicit win32_picture_box(const picture_box_properties& properties);
  ~win32_picture_box();

  /// Creates the box's window, hidden, at place in the parent's client area.
  HWND create(HWND parent, int id, const RECT& place);

  /// Replaces the picture; empty or unrecognised bytes leave the box blank.
  void set_picture(std::span<const std::uint8_t> bytes);

  picture_format format() const { return format_; }
  /// The frames the box shows, decoded now if they were not yet: none when
  /// it shows only its background, more than one for an animation.
  std::size_t frame_count();
  /// The frame on show now.
  std::size_t current_frame() const { return frame_; }
  /// Whether an animation is playing.
  bool is_animating() const { return timer_running_; }
  COLORREF background() const;

 private:
  friend class win32_window_object<win32_picture_box>;
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  void window_gone() { timer_running_ = false; }
  void start_decoding();
  void decode();
  void paint();
  void start_timer();
  void stop_timer();
  void next_frame();

  colour background_;
  std::vector<std::uint8_t> data_;
  picture_format format_ = picture_format::none;
  bool decoded_ = true;
  std::future<decoded_picture> decoding_;
  /// Decodings of pictures replaced before they were shown; they finish on
  /// their own and are waited for only when the box goes.
  std::vector<std::future<decoded_picture>> replaced_;
  decoded_picture picture_;
  std::size_t frame_ = 0;
  bool timer_running_ = false;
};

}  // namespace vantor
