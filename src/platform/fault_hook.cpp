// The fault switch: one hook for the whole process, asked by the front door.

#include "platform/fault_hook.h"

#include <string>

#include "platform/hook_calls.h"

namespace vantor::platform {

namespace {
fault_hook* g_fault_hook = nullptr;
}  // namespace

void set_fault_hook(fault_hook* hook) { g_fault_hook = hook; }

namespace hook_calls {

fault ask(operation op, std::string_view path, std::string_view other) {
  if (g_fault_hook == nullptr) return {};
  return g_fault_hook->before(op, path, other);
}

std::optional<failure> refused(operation op, std::string_view path, std::string_view other) {
  const fault answer = ask(op, path, other);
  if (!answer.error) return std::nullopt;
  return failure{*answer.error, std::string(path)};
}

void note_listing(std::string_view folder) {
  if (g_fault_hook != nullptr) g_fault_hook->folder_listed(folder);
}

bool read_only_refused() { return g_fault_hook != nullptr && g_fault_hook->read_only_refused(); }

}  // namespace hook_calls

}  // namespace vantor::platform
