// The Win32 file primitives under the front door (platform/native.h).
//
// The program's texts are UTF-8; every path crosses to the wide (UTF-16)
// calls here, so Chinese names work whatever the system's code page. Long
// absolute paths get the \\?\ prefix, which lifts the 260 character limit
// of the plain calls. The process, desktop and text calls are in
// system_win32.cpp.

#include "platform/native_win32.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/hook_calls.h"
#include "platform/native.h"

namespace vantor::platform {

using win32::from_last_error;
using win32::kind_from_error;
using win32::narrow;
using win32::system_path;
using win32::widen;

namespace {

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

status native::check_replaceable(const std::string& path) {
  if (target_in_use(system_path(path))) return failure{os_error::in_use, path};
  return {};
}

status native::make_hard_link(const std::string& existing, const std::string& path) {
  if (!::CreateHardLinkW(system_path(path).c_str(), system_path(existing).c_str(), nullptr))
    return from_last_error(path);
  return {};
}

// --- held folders ---------------------------------------------------------------
// A folder is held without FILE_SHARE_DELETE: while the handle is open no
// other program may rename, delete or replace it, so a path through held
// folders leads where it did when they were opened, and the entries below
// are made by their whole path.

namespace {

BY_HANDLE_FILE_INFORMATION information_of(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) info.dwFileAttributes = INVALID_FILE_ATTRIBUTES;
  return info;
}

bool is_plain_folder(const BY_HANDLE_FILE_INFORMATION& info) {
  return info.dwFileAttributes != INVALID_FILE_ATTRIBUTES && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The folder at the path itself, never what a link or junction there points to.
HANDLE open_folder_entry(const std::string& path, DWORD share) {
  return ::CreateFileW(system_path(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, share, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

outcome<native::handle> native::open_folder(const std::string& path) {
  const HANDLE handle = open_folder_entry(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (handle == INVALID_HANDLE_VALUE) return from_last_error(path);
  if (!is_plain_folder(information_of(handle))) {
    ::CloseHandle(handle);
    return failure{os_error::not_a_folder, path};
  }
  return as_number(handle);
}

outcome<native::handle> native::open_folder_in(handle, const std::string&, const std::string& path) {
  return open_folder(path);
}

status native::create_folder_in(handle, const std::string&, const std::string& path) { return create_folder(path); }

outcome<native::handle> native::create_file_in(handle, const std::string&, const std::string& path) {
  // CREATE_NEW fails on anything at the name, a link included.
  const HANDLE handle = ::CreateFileW(system_path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return from_last_error(path);
  return as_number(handle);
}

outcome<native::handle> native::rewrite_file_in(handle, const std::string&, const std::string& path) {
  return open(path, open_mode::replace);
}

status native::remove_file_in(handle, const std::string&, const std::string& path) { return remove_file(path); }

const std::size_t native::folders_kept_held = static_cast<std::size_t>(-1);

outcome<entry_kind> native::look_at_in(handle, const std::string&, const std::string& path) { return look_at(path); }

bool native::is_held_folder_at(handle folder, const std::string& path) {
  const HANDLE there = open_folder_entry(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (there == INVALID_HANDLE_VALUE) return false;
  const BY_HANDLE_FILE_INFORMATION found = information_of(there);
  ::CloseHandle(there);
  const BY_HANDLE_FILE_INFORMATION held = information_of(as_handle(folder));
  return is_plain_folder(found) && is_plain_folder(held) && found.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
         found.nFileIndexHigh == held.nFileIndexHigh && found.nFileIndexLow == held.nFileIndexLow;
}

outcome<native::handle> native::duplicate_folder(handle folder, const std::string& path) {
  HANDLE copy = nullptr;
  const HANDLE process = ::GetCurrentProcess();
  if (!::DuplicateHandle(process, as_handle(folder), process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return from_last_error(path);
  return as_number(copy);
}

void native::release_folder(handle folder) { ::CloseHandle(as_handle(folder)); }

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
const bool native::flushes_file_system = false;

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

const std::string_view native::lock_file_name = "vantor-patcher.lock";

// The read-only attribute: set, the file may not be written.
const std::uint32_t native::write_permission_bit = FILE_ATTRIBUTE_READONLY;
const bool native::write_permission_bit_allows = false;

// A lock file opened without sharing: a second opener is refused while the
// first holds it, and the system deletes it when the handle closes, also
// when the process ends without closing it.
outcome<native::handle> native::try_lock(const std::string& folder) {
  const std::string lock_path = join_path(folder, native::lock_file_name);
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

status native::set_times(handle file, file_time access, file_time modification, const std::string& path) {
  // 100-nanosecond ticks since 1601-01-01.
  const auto ticks = [](file_time time) {
    const std::int64_t value = (time.seconds + 11'644'473'600LL) * 10'000'000LL + time.nanoseconds / 100;
    FILETIME result{};
    result.dwLowDateTime = static_cast<DWORD>(value);
    result.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value) >> 32);
    return result;
  };
  const FILETIME accessed = ticks(access), written = ticks(modification);
  if (!::SetFileTime(as_handle(file), nullptr, &accessed, &written)) return from_last_error(path);
  return {};
}

status native::set_file_times(const std::string& path, file_time access, file_time modification) {
  const HANDLE handle = ::CreateFileW(system_path(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return from_last_error(path);
  const status set = set_times(as_number(handle), access, modification, path);
  ::CloseHandle(handle);
  return set;
}

}  // namespace vantor::platform
