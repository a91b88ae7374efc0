#include "app/frame/command_thread.h"

#include <atomic>
#include <exception>
#include <future>
#include <optional>
#include <system_error>

namespace vantor {

command_thread::command_thread(window_toolkit& toolkit)
    : toolkit_(toolkit), window_thread_(std::this_thread::get_id()) {}

void command_thread::run(const std::function<void()>& work) {
  busy_ = true;
  toolkit_.set_busy(true);
  std::atomic<bool> done{false};
  std::exception_ptr thrown;
  const auto work_and_wake = [&] {
    try {
      work();
    } catch (...) {
      thrown = std::current_exception();
    }
    done = true;
    toolkit_.post_to_window_thread([] {});  // wakes the window's thread to see it
  };
  std::optional<std::thread> worker;
  try {
    worker.emplace(work_and_wake);
  } catch (const std::system_error&) {
    // No thread to be had: the command runs here, as it would without one.
    work_and_wake();
  }
  toolkit_.deliver_events_until([&] { return done.load(); });
  if (worker) worker->join();
  toolkit_.show_progress(std::nullopt);
  toolkit_.set_busy(false);
  busy_ = false;
  if (thrown) std::rethrow_exception(thrown);
}

void command_thread::call_on_window_thread(const std::function<void()>& call) {
  if (on_window_thread()) {
    call();
    return;
  }
  std::promise<void> finished;
  std::exception_ptr thrown;
  toolkit_.post_to_window_thread([&] {
    try {
      call();
    } catch (...) {
      thrown = std::current_exception();
    }
    finished.set_value();
  });
  finished.get_future().wait();
  if (thrown) std::rethrow_exception(thrown);
}

void command_thread::post_to_window_thread(std::function<void()> call) {
  if (on_window_thread()) {
    call();
    return;
  }
  toolkit_.post_to_window_thread(std::move(call));
}

}  // namespace vantor
