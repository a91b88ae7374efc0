#include "platform/tree_flusher.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <vector>

#include "platform/files.h"
#include "platform/flush_walk.h"
#include "platform/hook_calls.h"
#include "platform/native.h"
#include "platform/system_error.h"

namespace vantor::platform {

namespace {
// Flushes of different files wait on the disk, not on each other: a few at
// once hide the latency of each. Each holds one file open.
constexpr std::size_t flushing_threads = 32;
// Paths waiting for a thread; the builder waits beyond this.
constexpr std::size_t waiting_limit = 256;

status flush_one_file(const std::string& path) {
  if (const auto refusal = hook_calls::refused(operation::flush, path)) return *refusal;
  return native::flush_file_at(path);
}
}  // namespace

struct tree_flusher::shared {
  std::string folder;
  bool each_file = false;
  std::mutex mutex;
  std::condition_variable work_waiting;
  std::condition_variable room;
  std::deque<std::string> waiting;
  std::unordered_set<std::string> flushed;
  std::optional<failure> first_failure;
  bool closing = false;
  bool no_more_threads = false;  ///< the system gave no thread when asked
  std::vector<std::thread> threads;

  void flush_waiting() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      work_waiting.wait(lock, [&] { return closing || !waiting.empty(); });
      if (waiting.empty()) return;
      std::string path = std::move(waiting.front());
      waiting.pop_front();
      room.notify_one();
      lock.unlock();
      const status done = flush_one_file(path);
      lock.lock();
      if (done) {
        flushed.insert(std::move(path));
      } else if (done.error().kind == os_error::in_use) {
        // The builder is writing it again (a later entry of the same name)
        // and hands it in once more; else finish() flushes it.
        flushed.erase(path);
      } else if (!first_failure) {
        first_failure = done.error();
      }
    }
  }

  void stop_threads() {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      closing = true;
    }
    work_waiting.notify_all();
    for (std::thread& thread : threads) thread.join();
    threads.clear();
  }

  // Every file below the folder the threads did not flush, then the folders.
  status flush_rest() {
    return flush_files_below(
        folder, [this](const std::string& path) { return flushed.contains(path) ? status() : flush_one_file(path); });
  }
};

tree_flusher::tree_flusher(std::string folder, method how) : shared_(std::make_unique<shared>()) {
  shared_->folder = std::move(folder);
  shared_->each_file = how == method::each_file || !native::flushes_file_system || hook_calls::flushes_each_file();
}

tree_flusher::~tree_flusher() { shared_->stop_threads(); }

void tree_flusher::file_done(std::string_view path) {
  if (!shared_->each_file) return;
  shared& state = *shared_;
  {
    std::unique_lock<std::mutex> lock(state.mutex);
    if (state.first_failure) return;  // finish() says so; nothing more is worth flushing
    if (state.threads.size() < flushing_threads && !state.no_more_threads) {
      try {
        if (hook_calls::threads_refused())
          throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        state.threads.emplace_back([&state] { state.flush_waiting(); });
      } catch (const std::system_error&) {
        state.no_more_threads = true;  // fewer threads, or none
      }
    }
    // Without a thread to take it, the path is left to finish(), which
    // flushes every file no thread did: waiting for room would be waiting
    // forever.
    if (state.threads.empty()) return;
    state.room.wait(lock, [&] { return state.waiting.size() < waiting_limit; });
    state.waiting.emplace_back(path);
  }
  state.work_waiting.notify_one();
}

status tree_flusher::finish() {
  shared& state = *shared_;
  if (!state.each_file) return flush_tree(state.folder);
  state.stop_threads();  // they empty the queue before they end
  if (const auto refusal = hook_calls::refused(operation::flush_tree, state.folder)) return *refusal;
  if (state.first_failure) return *state.first_failure;
  const auto kind = native::look_at(state.folder);
  if (!kind) return kind.error();
  if (*kind != entry_kind::folder) return failure{os_error::not_a_file, state.folder};
  return state.flush_rest();
}

}  // namespace vantor::platform
