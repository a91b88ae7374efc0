#pragma once
// A long command runs on a thread of its own while the window's thread goes
// on delivering events, so the window keeps painting and answering the
// system however long the disk takes. What the command asks of the window
// (its message boxes, the end of the program) is carried back to the
// window's thread, one call at a time, while the command waits.

#include <functional>
#include <thread>

#include "app/frame/window_toolkit.h"

namespace vantor {

class command_thread {
 public:
  /// Made on the window's thread.
  explicit command_thread(window_toolkit& toolkit);

  /// Runs work on a thread of its own and returns when it is done, with
  /// the window busy meanwhile (no input, no closing, the busy pointer). An
  /// exception of the work is thrown again here.
  void run(const std::function<void()>& work);

  /// Runs call on the window's thread and returns when it has: at once when
  /// called there.
  void call_on_window_thread(const std::function<void()>& call);
  /// Hands call to the window's thread without waiting for it; run at once
  /// when called there.
  void post_to_window_thread(std::function<void()> call);

  bool on_window_thread() const { return std::this_thread::get_id() == window_thread_; }
  bool busy() const { return busy_; }

 private:
  window_toolkit& toolkit_;
  std::thread::id window_thread_;
  bool busy_ = false;
};

}  // namespace vantor
