#pragma once
// How the platform layer's front door asks the fault hook, inside the
// platform layer only.

#include <optional>
#include <string_view>

#include "platform/fault_hook.h"

namespace vantor::platform::hook_calls {

/// Asks the test hook, if any, about one operation.
fault ask(operation op, std::string_view path, std::string_view other = {});

/// The hook's refusal of an operation that writes no partial result.
std::optional<failure> refused(operation op, std::string_view path, std::string_view other = {});

/// Tells the hook of a folder listing.
void note_listing(std::string_view folder);

/// Whether the hook, if any, has a rename refuse a read-only target.
bool read_only_refused();

/// Whether the hook, if any, has new trees flushed file by file.
bool flushes_each_file();

/// Whether the hook, if any, refuses the platform layer a thread.
bool threads_refused();

}  // namespace vantor::platform::hook_calls
