// The fault switch: one hook for the whole process, asked by the front door.

#include "platform/fault_hook.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "platform/hook_calls.h"

namespace vantor::platform {

namespace {
std::atomic<fault_hook*> g_fault_hook{nullptr};
// One thread at a time asks the hook; recursive for a hook that calls the
// platform layer itself.
std::recursive_mutex g_hook_mutex;
}  // namespace

void set_fault_hook(fault_hook* hook) {
  const std::lock_guard<std::recursive_mutex> lock(g_hook_mutex);
  g_fault_hook = hook;
}

namespace hook_calls {

fault ask(operation op, std::string_view path, std::string_view other) {
  if (g_fault_hook == nullptr) return {};
  fault answer;
  {
    const std::lock_guard<std::recursive_mutex> lock(g_hook_mutex);
    if (g_fault_hook == nullptr) return {};
    answer = g_fault_hook.load()->before(op, path, other);
  }
  if (answer.delay.count() > 0) std::this_thread::sleep_for(answer.delay);
  return answer;
}

std::optional<failure> refused(operation op, std::string_view path, std::string_view other) {
  const fault answer = ask(op, path, other);
  if (!answer.error) return std::nullopt;
  return failure{*answer.error, std::string(path)};
}

void note_listing(std::string_view folder) {
  const std::lock_guard<std::recursive_mutex> lock(g_hook_mutex);
  if (fault_hook* hook = g_fault_hook.load()) hook->folder_listed(folder);
}

namespace {
// The hook's answer to a yes-or-no question; no when there is no hook.
bool hook_says(bool (fault_hook::*question)()) {
  const std::lock_guard<std::recursive_mutex> lock(g_hook_mutex);
  fault_hook* hook = g_fault_hook.load();
  return hook != nullptr && (hook->*question)();
}
}  // namespace

bool read_only_refused() { return hook_says(&fault_hook::read_only_refused); }

bool flushes_each_file() { return hook_says(&fault_hook::flushes_each_file); }

bool threads_refused() { return hook_says(&fault_hook::threads_refused); }

}  // namespace hook_calls

}  // namespace vantor::platform
