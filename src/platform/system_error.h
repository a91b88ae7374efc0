#pragma once
// The operating system's kinds of failure: what the platform layer reports
// when the system refuses an operation. The native code (errno on POSIX,
// GetLastError on Windows) travels beside it in failure::native_code.

#include <cstdint>
#include <string>

#include "platform/outcome.h"

namespace vantor {

enum class os_error : std::uint8_t {
  not_found,      ///< nothing at the path, or a folder on the way is missing
  exists,         ///< something is already at a path that must be new
  not_a_file,     ///< a folder, link, device or pipe where a file belongs
  not_a_folder,   ///< a file or anything else where a folder belongs
  no_space,       ///< the disk or a size limit is full
  no_permission,  ///< access denied, or a read-only file system
  in_use,         ///< another program holds the file (Windows sharing)
  io_error,       ///< the device failed
  name_refused,   ///< the name cannot be used on this system (too long, invalid)
  busy,           ///< another process holds the lock asked for
  other,          ///< anything the system did not say more about
};

const failure_category& category_of(os_error);

namespace platform {

/// The system's own text for one of its error codes ("No such device").
std::string native_error_text(std::int32_t code);

}  // namespace platform

}  // namespace vantor
