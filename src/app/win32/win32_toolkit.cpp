#include "app/win32/win32_toolkit.h"

#include "ui/win32/win32_com.h"
#include "ui/win32/win32_message_boxes.h"

namespace vantor {

std::unique_ptr<win32_window> win32_toolkit::make_window(const window_definition& definition) {
  return win32_window::build(definition);
}

void win32_toolkit::deliver(MSG& message) {
  if (window_ && window_->take_key(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

void win32_toolkit::run_message_loop() {
  // COM on the window's thread for what the user starts from here on: the
  // shell's opening of the homepage may go through it. Not earlier: it
  // takes a while to start, and nothing before the first paint needs it
  // (the pictures are decoded on threads of their own).
  if (!com_started_) com_started_ = SUCCEEDED(com::start_on_thread(COINIT_APARTMENTTHREADED));
  quit_ = false;
  MSG message{};
  while (!quit_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) deliver(message);
}

bool win32_toolkit::deliver_waiting_messages() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    deliver(message);
  }
  return true;
}

void win32_toolkit::quit_message_loop() {
  // The loop looks at the flag after each message; this one wakes it. No
  // WM_QUIT: it would also end a message box's loop still to come.
  quit_ = true;
  ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

win32_toolkit::~win32_toolkit() {
  window_.reset();
  if (com_started_) com::end_on_thread();
}

HWND win32_toolkit::message_owner() const {
  if (!window_ || window_->handle() == nullptr || !::IsWindowVisible(window_->handle())) return nullptr;
  return window_->handle();
}

void win32_toolkit::show_fatal_report(std::string_view report) { show_fatal_report_box(message_owner(), report); }

}  // namespace vantor
