#pragma once
// What both platform files share, inside the platform layer only: the test
// fault switch and the release of a system handle.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vantor::platform::shared {

/// Asks the test hook, if any, about one operation.
fault ask_hook(operation op, std::string_view path, std::string_view other = {});

/// The hook's refusal of an operation that writes no partial result.
std::optional<failure> refused(operation op, std::string_view path, std::string_view other = {});

/// Tells the hook of a folder listing.
void note_listing(std::string_view folder);

/// Releases a file's or lock's system handle (each platform file defines it).
void close_handle(std::intptr_t handle);

/// Writes all bytes to a file's system handle, retrying short writes (each
/// platform file defines it).
status write_all(std::intptr_t handle, const void* data, std::size_t size, const std::string& path);

}  // namespace vantor::platform::shared
