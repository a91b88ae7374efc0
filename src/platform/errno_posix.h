#pragma once
// The system's errno as the platform layer's failure kinds, for the POSIX
// files inside the platform layer only.

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/outcome.h"
#include "platform/system_error.h"

namespace vantor::platform::posix {

inline failure_kind kind_from_errno(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR:
      return os_error::not_found;
    case EEXIST:
      return os_error::exists;
    case EISDIR:
    case ELOOP:
    case ENXIO:
      return os_error::not_a_file;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return os_error::no_space;
    case EIO:
      return os_error::io_error;
    case EACCES:
    case EPERM:
    case EROFS:
      return os_error::no_permission;
    case ETXTBSY:
      return os_error::in_use;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
      return os_error::name_refused;
    default:
      return os_error::other;
  }
}

inline failure from_errno(std::string_view path) {
  const int code = errno;
  return failure{kind_from_errno(code), std::string(path), code};
}

}  // namespace vantor::platform::posix
