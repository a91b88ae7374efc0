// The POSIX native primitives under the front door (platform/native.h):
// files, folders, links, flushes and the folder lock, with the system's own
// calls.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errno_posix.h"
#include "platform/files.h"
#include "platform/native.h"

namespace vantor::platform {

using posix::from_errno;
using posix::kind_from_errno;

namespace {

// A file's handle is the descriptor.
int fd(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

const bool native::names_keep_letter_case = true;
const bool native::paths_have_drives = false;

namespace {

// Opens without blocking (a FIFO or a device would wait for a partner) and
// keeps only regular files: the program never reads or writes anything else
// at a path where a file belongs.
outcome<int> open_regular(const std::string& path, int flags, mode_t mode = 0666) {
  int handle;
  do {
    handle = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) return from_errno(path);
  struct stat info;
  if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(handle);
    return failure{os_error::not_a_file, path};
  }
  const int status_flags = ::fcntl(handle, F_GETFL);
  if (status_flags >= 0) ::fcntl(handle, F_SETFL, status_flags & ~O_NONBLOCK);
  return handle;
}

}  // namespace

// --- open files ---------------------------------------------------------------

outcome<native::handle> native::open(const std::string& path, open_mode mode) {
  int flags = 0;
  switch (mode) {
    case open_mode::read:
      flags = O_RDONLY;
      break;
    case open_mode::write_existing:
      flags = O_WRONLY | O_NOFOLLOW;
      break;
    case open_mode::replace:
      flags = O_WRONLY | O_CREAT | O_NOFOLLOW;
      break;
    case open_mode::create_new:
      flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
      break;
  }
  const auto opened = open_regular(path, flags);
  if (!opened) return opened.error();
  // Truncation waits until the file is known to be a regular one.
  if (mode == open_mode::replace && ::ftruncate(*opened, 0) != 0) {
    const failure why = from_errno(path);
    ::close(*opened);
    return why;
  }
  return handle{*opened};
}

outcome<std::size_t> native::read(handle file, void* buffer, std::size_t size, const std::string& path) {
  while (true) {
    const ssize_t got = ::read(fd(file), buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return from_errno(path);
  }
}

status native::write(handle file, const void* data, std::size_t size, const std::string& path) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd(file), bytes, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      return from_errno(path);
    }
    if (put == 0) return failure{os_error::no_space, path};
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return {};
}

status native::seek(handle file, std::int64_t offset, const std::string& path) {
  if (::lseek(fd(file), static_cast<off_t>(offset), SEEK_SET) < 0) return from_errno(path);
  return {};
}

outcome<std::int64_t> native::size(handle file, const std::string& path) {
  struct stat info;
  if (::fstat(fd(file), &info) != 0) return from_errno(path);
  return static_cast<std::int64_t>(info.st_size);
}

status native::flush(handle file, const std::string& path) {
  if (::fsync(fd(file)) != 0) return from_errno(path);
  return {};
}

status native::close(handle file, const std::string& path) {
  if (::close(fd(file)) != 0 && errno != EINTR) return from_errno(path);
  return {};
}

void native::close_quietly(handle file) { ::close(fd(file)); }

// --- entries ------------------------------------------------------------------

outcome<entry_kind> native::look_at(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return from_errno(path);
  if (S_ISREG(info.st_mode)) return entry_kind::file;
  if (S_ISDIR(info.st_mode)) return entry_kind::folder;
  if (S_ISLNK(info.st_mode)) return entry_kind::link;
  return entry_kind::other;
}

status native::check_folder(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return from_errno(path);
  if (!S_ISDIR(info.st_mode)) return failure{os_error::not_a_folder, path};
  return {};
}

std::vector<std::string> native::list_folder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

// Open files never keep a name from being replaced or removed.
status native::check_replaceable(const std::string&) { return {}; }

status native::make_hard_link(const std::string& existing, const std::string& path) {
  // linkat without AT_SYMLINK_FOLLOW: a link is never followed.
  if (::linkat(AT_FDCWD, existing.c_str(), AT_FDCWD, path.c_str(), 0) != 0) return from_errno(path);
  return {};
}

// --- held folders ---------------------------------------------------------------

namespace {

// A folder's descriptor, opened relative to another's (or the current
// folder); a link at the name is refused (ELOOP, or ENOTDIR for a file).
outcome<native::handle> open_folder_at(int in, const std::string& name, const std::string& path) {
  int handle;
  do {
    handle = ::openat(in, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  } while (handle < 0 && errno == EINTR);
  if (handle >= 0) return handle;
  const int code = errno;
  if (code == ELOOP || code == ENOTDIR) return failure{os_error::not_a_folder, path, code};
  return failure{kind_from_errno(code), path, code};
}

}  // namespace

outcome<native::handle> native::open_folder(const std::string& path) { return open_folder_at(AT_FDCWD, path, path); }

outcome<native::handle> native::open_folder_in(handle in, const std::string& name, const std::string& path) {
  return open_folder_at(fd(in), name, path);
}

status native::create_folder_in(handle in, const std::string& name, const std::string& path) {
  if (::mkdirat(fd(in), name.c_str(), 0777) != 0) return from_errno(path);
  return {};
}

outcome<native::handle> native::create_file_in(handle in, const std::string& name, const std::string& path) {
  int handle;
  do {
    handle = ::openat(fd(in), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) return from_errno(path);
  return handle;
}

outcome<native::handle> native::rewrite_file_in(handle in, const std::string& name, const std::string& path) {
  int handle;
  do {
    handle = ::openat(fd(in), name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) {
    const int code = errno;
    if (code == ELOOP) return failure{os_error::not_a_file, path, code};
    return failure{kind_from_errno(code), path, code};
  }
  struct stat info;
  if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(handle);
    return failure{os_error::not_a_file, path};
  }
  if (::ftruncate(handle, 0) != 0) {
    const failure why = from_errno(path);
    ::close(handle);
    return why;
  }
  const int status_flags = ::fcntl(handle, F_GETFL);
  if (status_flags >= 0) ::fcntl(handle, F_SETFL, status_flags & ~O_NONBLOCK);
  return handle;
}

const std::size_t native::folders_kept_held = 64;

status native::remove_file_in(handle in, const std::string& name, const std::string& path) {
  if (::unlinkat(fd(in), name.c_str(), 0) != 0) return from_errno(path);
  return {};
}

outcome<entry_kind> native::look_at_in(handle in, const std::string& name, const std::string& path) {
  struct stat info;
  if (::fstatat(fd(in), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return from_errno(path);
  if (S_ISREG(info.st_mode)) return entry_kind::file;
  if (S_ISDIR(info.st_mode)) return entry_kind::folder;
  if (S_ISLNK(info.st_mode)) return entry_kind::link;
  return entry_kind::other;
}

bool native::is_held_folder_at(handle folder, const std::string& path) {
  struct stat held, there;
  return ::fstat(fd(folder), &held) == 0 && ::lstat(path.c_str(), &there) == 0 && S_ISDIR(there.st_mode) &&
         held.st_dev == there.st_dev && held.st_ino == there.st_ino;
}

outcome<native::handle> native::duplicate_folder(handle folder, const std::string& path) {
  const int copy = ::fcntl(fd(folder), F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return from_errno(path);
  return copy;
}

void native::release_folder(handle folder) { ::close(fd(folder)); }

status native::rename_over(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return from_errno(to);
  return {};
}

status native::remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return from_errno(path);
  return {};
}

// Removal depends on the folder's permissions alone.
void native::allow_removal(const std::string&) {}

status native::create_folder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0) return from_errno(path);
  return {};
}

status native::remove_folder(const std::string& path) {
  if (::rmdir(path.c_str()) != 0) return from_errno(path);
  return {};
}

status native::flush_folder(const std::string& folder) {
  // As SQLite does: a folder that cannot be opened for flushing, or a file
  // system that does not flush folders, is no failure; only a flush that is
  // tried and fails is one.
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return {};
  const bool synced = ::fsync(descriptor) == 0;
  const int code = errno;
  ::close(descriptor);
  if (synced || code == EINVAL || code == ENOTSUP || code == EROFS || code == EBADF) return {};
  return failure{kind_from_errno(code), folder};
}

status native::flush_file_at(const std::string& path) {
  const auto opened = open_regular(path, O_RDONLY);
  if (!opened) return opened.error();
  const bool synced = ::fsync(*opened) == 0;
  const failure why = from_errno(path);
  ::close(*opened);
  if (!synced) return why;
  return {};
}

// One syncfs of the file system that holds the folder.
std::optional<status> native::flush_file_system(const std::string& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (descriptor < 0) return status(from_errno(folder));
  const bool synced = ::syncfs(descriptor) == 0;
  const failure why = from_errno(folder);
  ::close(descriptor);
  if (!synced) return status(why);
  return status();
}

const bool native::flushes_file_system = true;

outcome<std::uint64_t> native::free_space(const std::string& path) {
  struct statvfs info;
  if (::statvfs(path.c_str(), &info) != 0) return from_errno(path);
  return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

status native::check_writable(const std::string& folder) {
  // As the user the program runs for, not the one it was started by.
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return from_errno(folder);
  return {};
}

// An advisory lock on the folder itself: nothing is left on disk, and the
// system lets it go when the process ends, however it ends.
const std::string_view native::lock_file_name{};

const std::uint32_t native::write_permission_bit = S_IWUSR;
const bool native::write_permission_bit_allows = true;

outcome<native::handle> native::try_lock(const std::string& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return from_errno(folder);
  int locked;
  do {
    locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked == 0) return handle{descriptor};
  const int code = errno;
  ::close(descriptor);
  if (code == EWOULDBLOCK) return failure{os_error::busy, {}};
  return failure{kind_from_errno(code), folder};
}

status native::set_writable(const std::string& path, bool writable) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return from_errno(path);
  if (S_ISLNK(info.st_mode)) return failure{os_error::not_a_file, path};  // never touch a link's target
  mode_t mode = info.st_mode & 07777;
  mode = writable ? (mode | S_IWUSR) : (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH));
  if (::chmod(path.c_str(), mode) != 0) return from_errno(path);
  return {};
}

outcome<file_permissions> native::permissions_of(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return from_errno(path);
  if (!S_ISREG(info.st_mode)) return failure{os_error::not_a_file, path};
  return file_permissions{static_cast<std::uint32_t>(info.st_mode & 07777)};
}

status native::set_permissions(const std::string& path, file_permissions permissions) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return from_errno(path);
  if (!S_ISREG(info.st_mode)) return failure{os_error::not_a_file, path};  // never a link's target
  if (::chmod(path.c_str(), static_cast<mode_t>(permissions.bits & 07777)) != 0) return from_errno(path);
  return {};
}

outcome<std::string> native::read_link(const std::string& path) {
  std::string text(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
    if (length < 0) return errno == EINVAL ? failure{os_error::not_a_file, path} : from_errno(path);
    // A text that fills the buffer may have been cut short.
    if (static_cast<std::size_t>(length) < text.size()) {
      text.resize(static_cast<std::size_t>(length));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

status native::make_link(const std::string& link_text, const std::string& path) {
  if (::symlink(link_text.c_str(), path.c_str()) != 0) return from_errno(path);
  return {};
}

status native::set_times(handle file, file_time access, file_time modification, const std::string& path) {
  const timespec times[2] = {{static_cast<time_t>(access.seconds), access.nanoseconds},
                             {static_cast<time_t>(modification.seconds), modification.nanoseconds}};
  if (::futimens(fd(file), times) != 0) return from_errno(path);
  return {};
}

status native::set_file_times(const std::string& path, file_time access, file_time modification) {
  const timespec times[2] = {{static_cast<time_t>(access.seconds), access.nanoseconds},
                             {static_cast<time_t>(modification.seconds), modification.nanoseconds}};
  if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return from_errno(path);
  return {};
}

}  // namespace vantor::platform
