#pragma once
// What the frame test does with a toolkit's window, the same on Qt and
// Win32: the one frame test runs over the driver of the toolkit it is built
// with (Qt headless on Linux, Win32 under Wine).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/frame/window_toolkit.h"
#include "ui/picture_format.h"

namespace vantor::testing {

enum class key { space, enter };

class frame_driver {
 public:
  virtual ~frame_driver() = default;

  virtual window_toolkit& toolkit() = 0;
  /// Waits until the shown window is on the screen and has painted; false
  /// when it never got there.
  virtual bool settle() = 0;
  virtual bool window_visible() const = 0;

  /// An edit box's text as its toolkit's box holds it, lines ended by
  /// line_end().
  virtual std::string box_text(std::string_view unit) const = 0;
  virtual std::string_view line_end() const = 0;
  virtual picture_format picture_format_of(std::string_view unit) = 0;
  /// Whether the picture box shows a still picture of its own (not only
  /// its background).
  virtual bool shows_still_picture(std::string_view unit) = 0;
  /// The colour at a point of the window's client area as it is painted,
  /// 0xRRGGBB.
  virtual std::uint32_t colour_at(std::int32_t x, std::int32_t y) = 0;

  /// The unit with the focus; empty for none of them.
  virtual std::string focused() const = 0;
  virtual void focus(std::string_view unit) = 0;
  /// A key pressed and released on the unit with the focus.
  virtual void press(key pressed) = 0;
  /// A left-button click at a point of a unit.
  virtual void click(std::string_view unit, std::int32_t x, std::int32_t y) = 0;
  /// Esc, pressed so that the message loop about to run takes it.
  virtual void press_escape_for_the_loop() = 0;

  // From another thread, while the window's thread runs a command:
  /// Whether the window's thread answers within 200 ms.
  virtual bool answers_from_another_thread() = 0;
  /// A click on a unit, queued for the window's thread as the system
  /// queues the player's.
  virtual void click_from_another_thread(std::string_view unit) = 0;
  /// Space pressed and released on a unit, queued likewise.
  virtual void press_space_from_another_thread(std::string_view unit) = 0;
  /// The player's request to close the window, queued likewise.
  virtual void close_from_another_thread() = 0;
  /// Whether the busy pointer is shown, as the window's thread sees it;
  /// false when it does not answer.
  virtual bool shows_busy_pointer_from_another_thread() = 0;
  /// What the window's taskbar button shows of the command's progress;
  /// none when nothing (always, for a toolkit without one).
  virtual std::optional<double> taskbar_progress_from_another_thread() = 0;
  virtual bool has_taskbar_progress() const = 0;
};

/// The driver of the toolkit this test is built with.
std::unique_ptr<frame_driver> make_frame_driver();

}  // namespace vantor::testing
