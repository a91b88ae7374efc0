// The desktop's front door: the checks and the fault hook before the
// system's opener.

#include "platform/desktop.h"

#include <string>

#include "platform/hook_calls.h"
#include "platform/native.h"

namespace vantor::platform {

status open_address(std::string_view address) {
  if (address.empty()) return failure{os_error::not_found, {}};
  if (const auto refusal = hook_calls::refused(operation::open_address, address)) return *refusal;
  return native::open_address(std::string(address));
}

status run_again_elevated() {
  const native::program_call call = native::this_program_call();
  if (const auto refusal = hook_calls::refused(operation::run_elevated, call.program, call.arguments)) return *refusal;
  if (!can_run_elevated()) return failure{os_error::other, call.program};
  return native::run_elevated(call);
}

}  // namespace vantor::platform
