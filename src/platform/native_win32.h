#pragma once
// What the Win32 halves of the platform layer share (platform_win32.cpp,
// system_win32.cpp), inside the platform layer only: the wide paths and
// texts, and the system's last error as the platform layer's failure kinds.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/outcome.h"
#include "platform/system_error.h"
#include "platform/utf16.h"

namespace vantor::platform::win32 {

// Every text crosses to the wide calls through the one conversion.
inline std::wstring widen(std::string_view text) { return to_utf16(text); }
inline std::string narrow(std::wstring_view wide) { return from_utf16(wide); }

// A path for the wide calls: backslashes only, and long absolute paths
// made into \\?\ paths (which the system takes literally, so they are made
// full first).
inline std::wstring system_path(std::string_view path) {
  std::wstring wide = widen(path);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  if (wide.size() < MAX_PATH - 12 || wide.starts_with(L"\\\\?\\")) return wide;
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD written = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  full.resize(written);
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

inline failure_kind kind_from_error(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return os_error::not_found;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return os_error::exists;
    case ERROR_DIRECTORY:
    case ERROR_CANT_ACCESS_FILE:
      return os_error::not_a_file;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
      return os_error::no_space;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NOT_READY:
      return os_error::no_permission;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return os_error::in_use;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
      return os_error::io_error;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
      return os_error::name_refused;
    default:
      return os_error::other;
  }
}

inline failure from_last_error(std::string_view path) {
  const DWORD code = ::GetLastError();
  return failure{kind_from_error(code), std::string(path), static_cast<std::int32_t>(code)};
}

}  // namespace vantor::platform::win32
