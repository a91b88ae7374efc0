#include <sys/stat.h>

#include "support/file_identity.h"

namespace vantor::testing {

std::uint64_t identity_of(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_ino) : 0;
}

}  // namespace vantor::testing
