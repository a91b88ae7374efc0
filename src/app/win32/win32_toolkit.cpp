#include "app/win32/win32_toolkit.h"

#include "ui/win32/win32_com.h"
#include "ui/win32/win32_message_boxes.h"

namespace vantor {

win32_toolkit::win32_toolkit() : calls_waiting_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

std::unique_ptr<win32_window> win32_toolkit::make_window(const window_definition& definition) {
  return win32_window::build(definition);
}

void win32_toolkit::deliver(MSG& message) {
  if (window_ && window_->take_key(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

void win32_toolkit::start_com() {
  if (!com_started_) com_started_ = SUCCEEDED(com::start_on_thread(COINIT_APARTMENTTHREADED));
}

void win32_toolkit::run_message_loop() {
  // COM on the window's thread for what the user starts from here on: the
  // shell's opening of the homepage and the taskbar's progress may go
  // through it. Not earlier: it takes a while to start, and nothing before
  // the first paint needs it (the pictures are decoded on threads of their
  // own).
  start_com();
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

bool win32_toolkit::is_input_for_window(const MSG& message) const {
  const bool input = (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) ||
                     (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST);
  if (!input || !window_ || window_->handle() == nullptr) return false;
  return message.hwnd == window_->handle() || ::IsChild(window_->handle(), message.hwnd) != FALSE;
}

bool win32_toolkit::is_escape(const MSG& message) {
  return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE;
}

void win32_toolkit::post_to_window_thread(std::function<void()> call) {
  {
    const std::lock_guard<std::mutex> lock(calls_mutex_);
    calls_.push_back(std::move(call));
  }
  ::SetEvent(calls_waiting_);
}

void win32_toolkit::run_posted_calls() {
  for (;;) {
    std::function<void()> call;
    {
      const std::lock_guard<std::mutex> lock(calls_mutex_);
      if (calls_.empty()) return;
      call = std::move(calls_.front());
      calls_.pop_front();
    }
    call();
  }
}

void win32_toolkit::deliver_events_until(const std::function<bool()>& finished) {
  start_com();
  // A quit asked meanwhile is kept for the loop it was meant for.
  std::optional<WPARAM> quit;
  for (;;) {
    run_posted_calls();
    if (finished()) break;
    // Waits for a posted call or any message, so the window answers the
    // system at once: Windows calls a window "not responding" when its
    // thread has taken no message for five seconds.
    ::MsgWaitForMultipleObjectsEx(1, &calls_waiting_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = message.wParam;
        continue;
      }
      // Dropped, not held: a click while the command runs must not start
      // another once it ends. Esc alone goes on, as the close box does: the
      // window keeps it and closes once the command has ended.
      if (busy_ && is_input_for_window(message) && !is_escape(message)) continue;
      deliver(message);
    }
  }
  if (quit) ::PostQuitMessage(static_cast<int>(*quit));
}

void win32_toolkit::set_busy(bool busy) {
  busy_ = busy;
  start_com();
  if (window_) window_->set_busy(busy);
}

void win32_toolkit::show_progress(std::optional<double> fraction) {
  if (window_) taskbar_->show(window_->handle(), fraction);
}

win32_toolkit::~win32_toolkit() {
  window_.reset();
  taskbar_.reset();  // its COM object goes before COM ends on this thread
  if (com_started_) com::end_on_thread();
  if (calls_waiting_ != nullptr) ::CloseHandle(calls_waiting_);
}

HWND win32_toolkit::message_owner() const {
  if (!window_ || window_->handle() == nullptr || !::IsWindowVisible(window_->handle())) return nullptr;
  return window_->handle();
}

void win32_toolkit::show_fatal_report(std::string_view report) { show_fatal_report_box(message_owner(), report); }

}  // namespace vantor
