// The Win32 half of the platform layer: the native primitives under the
// front door (platform/native.h), and the process, desktop and text calls.
//
// The program's texts are UTF-8; every path and text crosses to the wide
// (UTF-16) calls here, so Chinese names work whatever the system's code
// page. Long absolute paths get the \\?\ prefix, which lifts the 260
// character limit of the plain calls.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <fcntl.h>
#include <float.h>
#include <io.h>

#include <algorithm>
#include <cfenv>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/hook_calls.h"
#include "platform/native.h"
#include "platform/process.h"
#include "platform/system_library_win32.h"
#include "platform/text.h"
#include "platform/utf16.h"

namespace vantor::platform {

const char path_separator = '\\';

namespace {

// Every text crosses to the wide calls through the one conversion.
std::wstring widen(std::string_view text) { return to_utf16(text); }
std::string narrow(std::wstring_view wide) { return from_utf16(wide); }

// A path for the wide calls: backslashes only, and long absolute paths
// made into \\?\ paths (which the system takes literally, so they are made
// full first).
std::wstring system_path(std::string_view path) {
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

failure_kind kind_from_error(DWORD code) {
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

failure from_last_error(std::string_view path) {
  const DWORD code = ::GetLastError();
  return failure{kind_from_error(code), std::string(path), static_cast<std::int32_t>(code)};
}

HANDLE as_handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t as_number(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

DWORD attributes_of(std::string_view path) { return ::GetFileAttributesW(system_path(path).c_str()); }

// Retries an operation that another program (an antivirus scanner, the
// search indexer, a backup tool) may hold up for a moment, for about a
// second in all.
template <typename attempt>
bool with_retries(attempt try_once) {
  for (int tries = 0;; ++tries) {
    if (try_once()) return true;
    const DWORD code = ::GetLastError();
    const bool held = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
    if (!held || tries >= 20) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::SetLastError(code);
  }
}

// Whether another program holds the file open so that it may not be
// replaced (it did not allow deleting it).
bool target_in_use(const std::wstring& path) {
  // Opened for deletion sharing nothing: any other program's handle, even
  // one that lets others delete the file (and still keeps a rename from
  // replacing it), makes this a sharing violation; a real refusal does not.
  const HANDLE probe =
      ::CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    ::CloseHandle(probe);
    return false;
  }
  return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

bool read_only(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Clears the read-only attribute of a file that has it; its attributes
// before, or nothing when there was nothing to clear.
std::optional<DWORD> clear_read_only(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return std::nullopt;
  const DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (!::SetFileAttributesW(path.c_str(), cleared == 0 ? FILE_ATTRIBUTE_NORMAL : cleared)) return std::nullopt;
  return attributes;
}

// Opens a regular file on disk with the given access, sharing and
// disposition; a folder, link, pipe or device is refused as not_a_file.
outcome<HANDLE> open_regular(const std::string& path, DWORD access, DWORD share, DWORD disposition, bool follow_links) {
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | (follow_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  const HANDLE handle = ::CreateFileW(system_path(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    // A folder answers "access denied" to CreateFile.
    if (code == ERROR_ACCESS_DENIED) {
      const DWORD attributes = attributes_of(path);
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return failure{os_error::not_a_file, path};
    }
    return failure{kind_from_error(code), path, static_cast<std::int32_t>(code)};
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool regular = ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) &&
                       (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
  if (!regular) {
    ::CloseHandle(handle);
    return failure{os_error::not_a_file, path};
  }
  return handle;
}

}  // namespace

bool is_separator(char c) { return c == '\\' || c == '/'; }

// Windows folders ignore letter case themselves.
const bool native::names_keep_letter_case = false;
const bool native::paths_have_drives = true;

// --- open files ---------------------------------------------------------------

outcome<native::handle> native::open(const std::string& path, open_mode mode) {
  outcome<HANDLE> opened = failure{os_error::other, path};
  switch (mode) {
    case open_mode::read:
      // Others may read along, but not write, while the program reads.
      opened = open_regular(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, true);
      break;
    case open_mode::write_existing:
      opened = open_regular(path, GENERIC_WRITE, 0, OPEN_EXISTING, false);
      break;
    case open_mode::replace:
      // Retried for about a second: a file just written may be held a
      // moment by a flush on another thread (tree_flusher) or a scanner.
      for (int tries = 0;; ++tries) {
        opened = open_regular(path, GENERIC_WRITE, 0, OPEN_ALWAYS, false);
        if (opened || opened.error().kind != os_error::in_use || tries >= 20) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      if (opened && !::SetEndOfFile(*opened)) {
        const failure why = from_last_error(path);
        ::CloseHandle(*opened);
        return why;
      }
      break;
    case open_mode::create_new:
      // A new file nobody else may open while it is written.
      opened = open_regular(path, GENERIC_WRITE, 0, CREATE_NEW, false);
      break;
  }
  if (!opened) return opened.error();
  return as_number(*opened);
}

outcome<std::size_t> native::read(handle file, void* buffer, std::size_t size, const std::string& path) {
  DWORD got = 0;
  const auto want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (!::ReadFile(as_handle(file), buffer, want, &got, nullptr)) return from_last_error(path);
  return static_cast<std::size_t>(got);
}

status native::write(handle file, const void* data, std::size_t size, const std::string& path) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD put = 0;
    const auto want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::WriteFile(as_handle(file), bytes, want, &put, nullptr)) return from_last_error(path);
    if (put == 0) return failure{os_error::no_space, path};
    bytes += put;
    size -= put;
  }
  return {};
}

status native::seek(handle file, std::int64_t offset, const std::string& path) {
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  if (!::SetFilePointerEx(as_handle(file), distance, nullptr, FILE_BEGIN)) return from_last_error(path);
  return {};
}

outcome<std::int64_t> native::size(handle file, const std::string& path) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(as_handle(file), &size)) return from_last_error(path);
  return static_cast<std::int64_t>(size.QuadPart);
}

status native::flush(handle file, const std::string& path) {
  if (!::FlushFileBuffers(as_handle(file))) return from_last_error(path);
  return {};
}

status native::close(handle file, const std::string& path) {
  if (!::CloseHandle(as_handle(file))) return from_last_error(path);
  return {};
}

void native::close_quietly(handle file) { ::CloseHandle(as_handle(file)); }

// --- entries ------------------------------------------------------------------

outcome<entry_kind> native::look_at(const std::string& path) {
  const DWORD attributes = attributes_of(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return from_last_error(path);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return entry_kind::link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return entry_kind::folder;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return entry_kind::other;
  return entry_kind::file;
}

status native::check_folder(const std::string& path) {
  const DWORD attributes = attributes_of(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return from_last_error(path);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return failure{os_error::not_a_folder, path};
  return {};
}

std::vector<std::string> native::list_folder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((system_path(folder) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(narrow(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

status native::rename_over(const std::string& from, const std::string& to) {
  const std::wstring source = system_path(from), target = system_path(to);
  // Windows refuses to rename over a read-only file. A game file marked
  // read-only (copied from a disc, or by another tool) is replaced all the
  // same: the attribute is cleared on the target first. It is cleared on the
  // source too, so the new file is left writable, never read-only, and the
  // next upgrade or restore replaces it just as well.
  const std::optional<DWORD> target_attributes = clear_read_only(target);
  (void)clear_read_only(source);
  // The target is replaced in one step, never deleted first; the rename
  // reaches the disk before the call returns.
  if (!with_retries([&] {
        if (hook_calls::read_only_refused() && read_only(target)) {
          ::SetLastError(ERROR_ACCESS_DENIED);
          return false;
        }
        return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      })) {
    failure why = from_last_error(to);
    // A target that stays keeps its attributes.
    if (target_attributes) ::SetFileAttributesW(target.c_str(), *target_attributes);
    // Windows answers "access denied" when another program has the target
    // open; a look at the target tells that apart from a real refusal.
    if (why.kind == os_error::no_permission && target_in_use(target)) why.kind = os_error::in_use;
    return why;
  }
  return {};
}

status native::remove_file(const std::string& path) {
  const std::wstring wide = system_path(path);
  // A linked folder goes as a folder entry, without its target's contents.
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  const bool linked_folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                             (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  // Windows refuses to delete a read-only file: a game file marked so is
  // removed all the same.
  if (!linked_folder) (void)clear_read_only(wide);
  if (!with_retries(
          [&] { return (linked_folder ? ::RemoveDirectoryW(wide.c_str()) : ::DeleteFileW(wide.c_str())) != 0; }))
    return from_last_error(path);
  return {};
}

void native::allow_removal(const std::string& path) {
  const std::wstring wide = system_path(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    ::SetFileAttributesW(wide.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

status native::create_folder(const std::string& path) {
  if (!::CreateDirectoryW(system_path(path).c_str(), nullptr)) return from_last_error(path);
  return {};
}

status native::remove_folder(const std::string& path) {
  const std::wstring wide = system_path(path);
  if (!with_retries([&] { return ::RemoveDirectoryW(wide.c_str()) != 0; })) return from_last_error(path);
  return {};
}

// Windows has no flush for a folder's entries that a program may call;
// renames are written through (MOVEFILE_WRITE_THROUGH) instead. A flush
// that cannot be tried counts as done.
status native::flush_folder(const std::string&) { return {}; }

status native::flush_file_at(const std::string& path) {
  // Shared with every other opener: a flush on another thread must never
  // stop the program from replacing or removing the file meanwhile.
  const HANDLE handle =
      ::CreateFileW(system_path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return from_last_error(path);
  const bool flushed = ::FlushFileBuffers(handle) != 0;
  const failure why = from_last_error(path);
  ::CloseHandle(handle);
  if (!flushed) return why;
  return {};
}

// No call flushes a whole volume for a program without administrator
// rights: the front door flushes each file below.
std::optional<status> native::flush_file_system(const std::string&) { return std::nullopt; }
bool native::flushes_file_system() { return false; }

outcome<std::uint64_t> native::free_space(const std::string& path) {
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(system_path(path).c_str(), &available, nullptr, nullptr)) return from_last_error(path);
  return static_cast<std::uint64_t>(available.QuadPart);
}

status native::check_writable(const std::string& folder) {
  // Only an attempt tells what the folder's rights, a virtualising file
  // system or an antivirus allow. The file goes when its handle closes; its
  // name is one the commands clear as a leftover should it ever stay.
  const std::string probe = folder + "\\vantor-patcher-" + std::to_string(::GetCurrentProcessId()) + ".vantor-tmp";
  HANDLE file = ::CreateFileW(system_path(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const failure why = from_last_error(folder);
    // Something of that name already there still means files can be made.
    if (why.kind == os_error::exists) return {};
    return why;
  }
  ::CloseHandle(file);
  return {};
}

namespace {
constexpr std::string_view lock_file_name = "vantor-patcher.lock";

}  // namespace

std::string_view folder_lock_file_name() { return lock_file_name; }

bool is_writable(file_permissions permissions) { return (permissions.bits & FILE_ATTRIBUTE_READONLY) == 0; }

// A lock file opened without sharing: a second opener is refused while the
// first holds it, and the system deletes it when the handle closes, also
// when the process ends without closing it.
outcome<native::handle> native::try_lock(const std::string& folder) {
  const std::string lock_path = join_path(folder, lock_file_name);
  const HANDLE opened = ::CreateFileW(system_path(lock_path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (opened != INVALID_HANDLE_VALUE) return as_number(opened);
  const DWORD code = ::GetLastError();
  // Another run holds the lock file without sharing it.
  if (code == ERROR_SHARING_VIOLATION) return failure{os_error::busy, {}};
  if (code == ERROR_ACCESS_DENIED) {
    const DWORD found = attributes_of(lock_path);
    // Nothing there: the game folder refuses a new file (a protected
    // folder such as Program Files), which is no other run at all.
    if (found == INVALID_FILE_ATTRIBUTES)
      return failure{os_error::no_permission, folder, static_cast<std::int32_t>(code)};
    // A folder or a read-only file under the lock's name is in the way.
    if ((found & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
      return failure{os_error::not_a_file, lock_path};
    // The lock file of a run that is just ending, still being deleted.
    return failure{os_error::busy, {}};
  }
  return failure{kind_from_error(code), lock_path, static_cast<std::int32_t>(code)};
}

status native::set_writable(const std::string& path, bool writable) {
  const std::wstring wide = system_path(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return from_last_error(path);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return failure{os_error::not_a_file, path};
  const DWORD changed =
      writable ? (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) : (attributes | FILE_ATTRIBUTE_READONLY);
  if (!::SetFileAttributesW(wide.c_str(), changed == 0 ? FILE_ATTRIBUTE_NORMAL : changed)) return from_last_error(path);
  return {};
}

// The attributes a player or another tool may have chosen for a file.
constexpr DWORD kept_attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

outcome<file_permissions> native::permissions_of(const std::string& path) {
  const DWORD attributes = attributes_of(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return from_last_error(path);
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return failure{os_error::not_a_file, path};
  return file_permissions{attributes & kept_attributes};
}

status native::set_permissions(const std::string& path, file_permissions permissions) {
  const std::wstring wide = system_path(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return from_last_error(path);
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return failure{os_error::not_a_file, path};
  const DWORD changed = (attributes & ~kept_attributes) | (permissions.bits & kept_attributes);
  if (!::SetFileAttributesW(wide.c_str(), changed == 0 ? FILE_ATTRIBUTE_NORMAL : changed)) return from_last_error(path);
  return {};
}

namespace {

// The layout of a symbolic link's or junction's reparse data (ntifs.h,
// which MinGW's headers do not offer).
struct link_reparse_data {
  ULONG tag;
  USHORT data_length;
  USHORT reserved;
  USHORT substitute_offset;
  USHORT substitute_length;
  USHORT print_offset;
  USHORT print_length;
};
constexpr ULONG relative_link_flag = 1;  // SYMLINK_FLAG_RELATIVE

}  // namespace

outcome<std::string> native::read_link(const std::string& path) {
  const HANDLE handle =
      ::CreateFileW(system_path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return from_last_error(path);
  std::vector<std::uint8_t> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD got = 0;
  const BOOL read = ::DeviceIoControl(handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), &got, nullptr);
  const DWORD code = ::GetLastError();
  ::CloseHandle(handle);
  if (!read) {
    if (code == ERROR_NOT_A_REPARSE_POINT) return failure{os_error::not_a_file, path};
    ::SetLastError(code);
    return from_last_error(path);
  }
  link_reparse_data head{};
  if (got < sizeof head) return failure{os_error::not_a_file, path};
  std::memcpy(&head, buffer.data(), sizeof head);
  // A symbolic link's names follow a flags field; a junction's follow at once.
  std::size_t names = sizeof head;
  if (head.tag == IO_REPARSE_TAG_SYMLINK)
    names += sizeof(ULONG);
  else if (head.tag != IO_REPARSE_TAG_MOUNT_POINT)
    return failure{os_error::not_a_file, path};
  if (names + head.substitute_offset + head.substitute_length > got) return failure{os_error::not_a_file, path};
  std::wstring target(head.substitute_length / sizeof(wchar_t), L'\0');
  std::memcpy(target.data(), buffer.data() + names + head.substitute_offset, head.substitute_length);
  ULONG flags = 0;
  if (head.tag == IO_REPARSE_TAG_SYMLINK) std::memcpy(&flags, buffer.data() + sizeof head, sizeof flags);
  // An absolute target is kept in the system's \??\ form; made plain again,
  // CreateSymbolicLinkW takes it back as it was.
  if ((flags & relative_link_flag) == 0 && target.starts_with(L"\\??\\")) target.erase(0, 4);
  return narrow(target);
}

status native::make_link(const std::string& link_text, const std::string& path) {
  // Whether the link names a folder decides its kind on Windows; the target
  // is looked at from the link's own folder when the text is relative.
  if (attributes_of(path) != INVALID_FILE_ATTRIBUTES) return failure{os_error::exists, path};
  const std::string folder = parent_folder(path);
  const bool absolute = link_text.size() > 1 && (link_text[1] == ':' || is_separator(link_text[0]));
  const DWORD target_attributes = attributes_of(absolute || folder.empty() ? link_text : join_path(folder, link_text));
  DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (target_attributes != INVALID_FILE_ATTRIBUTES && (target_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
  std::wstring text = widen(link_text);
  std::replace(text.begin(), text.end(), L'/', L'\\');
  if (!::CreateSymbolicLinkW(system_path(path).c_str(), text.c_str(), flags)) return from_last_error(path);
  // Some systems (Wine among them) answer success without making a link.
  const DWORD made = attributes_of(path);
  if (made == INVALID_FILE_ATTRIBUTES || (made & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return failure{os_error::other, path, static_cast<std::int32_t>(ERROR_NOT_SUPPORTED)};
  return {};
}

status native::set_file_times(const std::string& path, file_time access, file_time modification) {
  const HANDLE handle = ::CreateFileW(system_path(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return from_last_error(path);
  // 100-nanosecond ticks since 1601-01-01.
  const auto ticks = [](file_time time) {
    const std::int64_t value = (time.seconds + 11'644'473'600LL) * 10'000'000LL + time.nanoseconds / 100;
    FILETIME result{};
    result.dwLowDateTime = static_cast<DWORD>(value);
    result.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value) >> 32);
    return result;
  };
  const FILETIME accessed = ticks(access), written = ticks(modification);
  const bool set = ::SetFileTime(handle, nullptr, &accessed, &written) != 0;
  const failure why = from_last_error(path);
  ::CloseHandle(handle);
  if (!set) return why;
  return {};
}

// --- DLLs ---------------------------------------------------------------------

void load_dlls_from_system_folder_only() {
  // SetDefaultDllDirectories exists from Windows 8 on, and on Windows 7 with
  // its update KB2533623: looked up, so that the program starts without it.
  using restrict_search_call = BOOL WINAPI(DWORD);
  const auto restrict_search = reinterpret_cast<restrict_search_call*>(reinterpret_cast<any_function>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (restrict_search != nullptr && restrict_search(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0) return;
  // Without it, at least the current folder leaves the search; the DLLs
  // the program loads itself come by full path (system_function_address).
  ::SetDllDirectoryW(L"");
}

any_function system_function_address(const wchar_t* library, const char* name) {
  // The DLL and the DLLs it imports, from the system folder only.
  HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    // A system without the search flags: the full path into the system
    // folder, whose DLLs the loaded one then finds first.
    std::wstring folder(MAX_PATH, L'\0');
    folder.resize(::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size())));
    if (folder.empty()) return nullptr;
    module = ::LoadLibraryExW((folder + L"\\" + library).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  if (module == nullptr) return nullptr;
  return reinterpret_cast<any_function>(::GetProcAddress(module, name));
}

// --- process ------------------------------------------------------------------

namespace {

// This program's own path, as the system has it; no fixed buffer, as it
// may be longer than 260 characters. Empty when the system cannot say.
std::wstring own_program_path() {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string executable_folder() {
  std::string path = narrow(own_program_path());
  if (path.starts_with("\\\\?\\")) path.erase(0, 4);
  const auto last = path.find_last_of("\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string absolute_path(std::string_view path) {
  const bool absolute = path.size() >= 3 && path[1] == ':' && is_separator(path[2]);
  if (path.empty() || absolute || (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])))
    return std::string(path);
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring current(needed, L'\0');
  current.resize(::GetCurrentDirectoryW(needed, current.data()));
  std::string_view relative = path;
  while (relative.starts_with(".\\") || relative.starts_with("./")) relative.remove_prefix(2);
  if (relative == ".") return narrow(current);
  if (!relative.empty() && is_separator(relative.front())) return narrow(current.substr(0, 2)) + std::string(relative);
  return join_path(narrow(current), relative);
}

status set_current_folder(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  if (!::SetCurrentDirectoryW(system_path(path).c_str())) return from_last_error(path);
  return {};
}

std::vector<std::string> command_line_arguments(int argc, char** argv) {
  // The shell splits the command line as every Windows program's runtime
  // does.
  static const auto split = system_function<decltype(::CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW");
  int count = 0;
  wchar_t** wide = split != nullptr ? split(::GetCommandLineW(), &count) : nullptr;
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(narrow(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

bool is_terminal(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

bool write_text(std::FILE* stream, std::string_view text) {
  const int descriptor = _fileno(stream);
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const std::wstring wide = widen(text);
    DWORD written = 0;
    return wide.empty() ||
           ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
  }
  // Redirected: UTF-8 bytes, with "\n" left as it is.
  _setmode(descriptor, _O_BINARY);
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  return std::ferror(stream) == 0;
}

status native::open_address(const std::string& address) {
  // The shell opens the address with the player's browser, as the file
  // browser would for "explorer.exe <address>".
  static const auto shell_execute = system_function<decltype(::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  if (shell_execute == nullptr) return failure{os_error::not_found, "explorer.exe"};
  const auto result = reinterpret_cast<std::intptr_t>(
      shell_execute(nullptr, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) return failure{os_error::not_found, "explorer.exe"};
  return {};
}

bool can_run_elevated() { return true; }

native::program_call native::this_program_call() {
  const std::wstring path = own_program_path();
  // The arguments as the program got them: the command line after the
  // program's own name, quoted or not.
  std::wstring_view line = ::GetCommandLineW();
  if (!line.empty() && line.front() == L'"') {
    const auto end = line.find(L'"', 1);
    line.remove_prefix(end == std::wstring_view::npos ? line.size() : end + 1);
  } else {
    const auto end = line.find_first_of(L" \t");
    line.remove_prefix(end == std::wstring_view::npos ? line.size() : end);
  }
  while (!line.empty() && (line.front() == L' ' || line.front() == L'\t')) line.remove_prefix(1);
  return {narrow(path), narrow(line)};
}

status native::run_elevated(const program_call& call) {
  static const auto execute = system_function<decltype(::ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  if (execute == nullptr) return failure{os_error::not_found, "shell32.dll"};
  const std::wstring program = widen(call.program), arguments = widen(call.arguments);
  const std::wstring folder = widen(parent_folder(call.program));
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (execute(&info)) return {};
  // ERROR_CANCELLED: the player said no to the prompt.
  return from_last_error(call.program);
}

namespace {

// Length of the GB18030 sequence at bytes[i]: 1, 2 or 4, or 0 when no
// sequence starts there.
std::size_t gb18030_sequence_length(std::string_view bytes, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = at(i);
  if (lead < 0x80) return 1;
  if (lead == 0x80 || lead == 0xFF || i + 1 >= bytes.size()) return 0;
  const unsigned char second = at(i + 1);
  if (second >= 0x40 && second <= 0xFE && second != 0x7F) return 2;
  if (second >= 0x30 && second <= 0x39 && i + 3 < bytes.size() && at(i + 2) >= 0x81 && at(i + 2) <= 0xFE &&
      at(i + 3) >= 0x30 && at(i + 3) <= 0x39)
    return 4;
  return 0;
}

// One valid sequence in the code page, or nothing when it does not decode.
std::wstring decode_sequence(std::string_view sequence, UINT code_page) {
  wchar_t wide[4];
  const int made = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, sequence.data(),
                                         static_cast<int>(sequence.size()), wide, 4);
  return made > 0 ? std::wstring(wide, static_cast<std::size_t>(made)) : std::wstring();
}

}  // namespace

std::string native_error_text(std::int32_t code) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide(text != nullptr ? text : L"", length);
  if (text != nullptr) ::LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' || wide.back() == L'.'))
    wide.pop_back();
  return narrow(wide);
}

std::string decode_gb18030(std::string_view bytes) {
  // GB18030 where the system has it (code page 54936); GBK (936) where it is
  // refused, as Wine does.
  UINT code_page = 54936;
  if (decode_sequence("\xB0\xA1", code_page).empty()) code_page = 936;
  std::wstring wide;
  wide.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = gb18030_sequence_length(bytes, i);
    std::wstring decoded = length == 0 ? std::wstring() : decode_sequence(bytes.substr(i, length), code_page);
    if (decoded.empty()) {
      wide += L'\xFFFD';
      ++i;
      continue;
    }
    wide += decoded;
    i += length;
  }
  return narrow(wide);
}

void reset_floating_point() {
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  // Every floating-point exception masked: none traps.
  unsigned int ignored = 0;
  _controlfp_s(&ignored, _MCW_EM, _MCW_EM);
}

}  // namespace vantor::platform
