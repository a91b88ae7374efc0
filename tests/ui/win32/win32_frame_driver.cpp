// The frame test's driver on Win32, under Wine: keys and clicks through the
// system's input, the window's pixels from the screen.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

#include "app/win32/win32_toolkit.h"
#include "frame_driver.h"
#include "ui/win32/win32_picture_box.h"
#include "win32_test_support.h"

namespace vantor::testing {
namespace {

class win32_frame_driver final : public frame_driver {
 public:
  window_toolkit& toolkit() override { return toolkit_; }
  bool settle() override {
    testing::settle(toolkit_);
    return toolkit_.window() != nullptr && ::IsWindowVisible(window()) != FALSE;
  }
  bool window_visible() const override { return ::IsWindowVisible(window()) != FALSE; }

  std::string box_text(std::string_view unit) const override { return text_of(handle(unit)); }
  std::string_view line_end() const override { return "\r\n"; }
  picture_format picture_format_of(std::string_view unit) override { return picture(unit)->format(); }
  bool shows_still_picture(std::string_view unit) override { return picture(unit)->frame_count() == 1; }
  std::uint32_t colour_at(std::int32_t x, std::int32_t y) override {
    const COLORREF shown = capture_client(toolkit_, window()).at(x, y);
    return (std::uint32_t{GetRValue(shown)} << 16) | (std::uint32_t{GetGValue(shown)} << 8) | GetBValue(shown);
  }

  std::string focused() const override { return std::string(toolkit_.window()->unit_name(::GetFocus())); }
  void focus(std::string_view unit) override { ::SetFocus(handle(unit)); }
  void press(key pressed) override { press_key(toolkit_, pressed == key::space ? VK_SPACE : VK_RETURN); }
  void click(std::string_view unit, std::int32_t x, std::int32_t y) override {
    click_at(toolkit_, handle(unit), {x, y});
  }
  void press_escape_for_the_loop() override {
    // Into the system's input now; the loop takes it when it runs (the
    // watchdog ends a loop that would not).
    queue_key_press(VK_ESCAPE);
  }
  bool answers_from_another_thread() override {
    // The way Windows itself decides that a window is not responding.
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &result) != 0;
  }
  void click_from_another_thread(std::string_view unit) override {
    HWND button = handle(unit);
    const LPARAM at = MAKELPARAM(10, 10);
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(button, WM_LBUTTONUP, 0, at);
  }
  void press_space_from_another_thread(std::string_view unit) override {
    HWND button = handle(unit);
    const UINT scan = ::MapVirtualKeyW(VK_SPACE, MAPVK_VK_TO_VSC);
    ::PostMessageW(button, WM_KEYDOWN, VK_SPACE, static_cast<LPARAM>(1 | (scan << 16)));
    ::PostMessageW(button, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
  }
  std::optional<double> taskbar_progress_from_another_thread() override {
    auto answer = std::make_shared<std::promise<std::optional<double>>>();
    auto future = answer->get_future();
    if (::GetCurrentThreadId() == window_thread_) return toolkit_.taskbar_progress();
    toolkit_.post_to_window_thread([this, answer] { answer->set_value(toolkit_.taskbar_progress()); });
    if (future.wait_for(std::chrono::seconds(2)) != std::future_status::ready) return std::nullopt;
    return future.get();
  }
  bool has_taskbar_progress() const override { return true; }
  void close_from_another_thread() override { ::PostMessageW(window(), WM_SYSCOMMAND, SC_CLOSE, 0); }
  bool shows_busy_pointer_from_another_thread() override {
    const auto busy = [] { return ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT); };
    if (::GetCurrentThreadId() == window_thread_) return busy();
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> future = answer->get_future();
    toolkit_.post_to_window_thread([answer, busy] { answer->set_value(busy()); });
    return future.wait_for(std::chrono::seconds(2)) == std::future_status::ready && future.get();
  }

 private:
  HWND window() const { return toolkit_.window()->handle(); }
  HWND handle(std::string_view unit) const { return toolkit_.window()->unit_handle(unit); }
  win32_picture_box* picture(std::string_view unit) const { return toolkit_.window()->picture_box(unit); }

  win32_toolkit toolkit_;
  DWORD window_thread_ = ::GetCurrentThreadId();
};

}  // namespace

std::unique_ptr<frame_driver> make_frame_driver() { return std::make_unique<win32_frame_driver>(); }

}  // namespace vantor::testing
