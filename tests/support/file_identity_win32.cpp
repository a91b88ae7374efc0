#include <windows.h>

#include "support/file_identity.h"
#include "support/native_path.h"

namespace vantor::testing {

std::uint64_t identity_of(const std::string& path) {
  const HANDLE handle =
      ::CreateFileW(native_path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
  ::CloseHandle(handle);
  if (!known) return 0;
  return (std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow) ^
         (std::uint64_t{info.dwVolumeSerialNumber} << 48);
}

}  // namespace vantor::testing
