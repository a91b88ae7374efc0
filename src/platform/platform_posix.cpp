// The POSIX half of the platform layer: the native primitives under the
// front door (platform/native.h), and the process, desktop and text calls.

#include <dirent.h>
#include <fcntl.h>
#include <fenv.h>
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cfenv>
#include <chrono>
#include <climits>
#include <cstring>
#include <utility>

#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/native.h"
#include "platform/process.h"
#include "platform/text.h"

namespace vantor::platform {

const char path_separator = '/';

namespace {

// A file's handle is the descriptor.
int fd(std::intptr_t handle) { return static_cast<int>(handle); }

failure_kind kind_from_errno(int code) {
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

failure from_errno(std::string_view path) {
  const int code = errno;
  return failure{kind_from_errno(code), std::string(path), code};
}

}  // namespace

bool is_separator(char c) { return c == '/'; }

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

bool native::flushes_file_system() { return true; }

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
std::string_view folder_lock_file_name() { return {}; }

bool is_writable(file_permissions permissions) { return (permissions.bits & S_IWUSR) != 0; }

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

status native::set_file_times(const std::string& path, file_time access, file_time modification) {
  const timespec times[2] = {{static_cast<time_t>(access.seconds), access.nanoseconds},
                             {static_cast<time_t>(modification.seconds), modification.nanoseconds}};
  if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return from_errno(path);
  return {};
}

// --- process ------------------------------------------------------------------

namespace {

// This program's own path; empty when the system cannot say.
std::string own_program_path() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace

std::string executable_folder() {
  const std::string path = own_program_path();
  const auto last = path.rfind('/');
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string absolute_path(std::string_view path) {
  if (path.empty() || path.front() == '/') return std::string(path);
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return std::string(path);
  std::string_view relative = path;
  while (relative.starts_with("./")) relative.remove_prefix(2);
  if (relative == ".") return buffer;
  return join_path(buffer, relative);
}

status set_current_folder(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  if (::chdir(std::string(path).c_str()) != 0) return from_errno(path);
  return {};
}

std::vector<std::string> command_line_arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool write_text(std::FILE* stream, std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  return std::ferror(stream) == 0;
}

bool is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

// Linux has no elevation prompt of its own: a folder the user may not write
// is a matter for the user (or sudo), not for the program to offer.
bool can_run_elevated() { return false; }

native::program_call native::this_program_call() { return {own_program_path(), {}}; }

status native::run_elevated(const program_call& call) { return failure{os_error::other, call.program}; }

status native::open_address(const std::string& address) {
  std::string opener = "xdg-open";
  std::string target(address);
  char* argv[] = {opener.data(), target.data(), nullptr};

  // The opener is detached through an intermediate child, so it never stays
  // behind as a zombie; a pipe closed by a successful exec tells whether it
  // could be started.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return from_errno(opener);
  const pid_t child = ::fork();
  if (child < 0) {
    const failure why = from_errno(opener);
    ::close(report[0]);
    ::close(report[1]);
    return why;
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    if (::fork() == 0) {
      ::execvp(argv[0], argv);
      const int code = errno;
      [[maybe_unused]] auto ignored = ::write(report[1], &code, sizeof code);
      ::_exit(127);
    }
    ::_exit(0);
  }
  ::close(report[1]);
  int child_status = 0;
  while (::waitpid(child, &child_status, 0) < 0 && errno == EINTR) {
  }
  int exec_error = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &exec_error, sizeof exec_error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got > 0) return failure{kind_from_errno(exec_error), opener};
  return {};
}

std::string native_error_text(std::int32_t code) { return std::strerror(code); }

std::string decode_gb18030(std::string_view bytes) {
  constexpr std::string_view replacement_character = "\xEF\xBF\xBD";
  iconv_t converter = ::iconv_open("UTF-8", "GB18030");
  // iconv_open says it failed with (iconv_t)-1 and sets errno.
  if (converter == reinterpret_cast<iconv_t>(-1))  // NOLINT(performance-no-int-to-ptr): the system's own marker
    return std::string(replacement_character);
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 4);
  char buffer[4096];
  auto* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t result = ::iconv(converter, &in, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (a sequence cut off at the end): skip one byte.
    out.append(replacement_character);
    ++in;
    --in_left;
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  ::iconv_close(converter);
  return out;
}

void reset_floating_point() {
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  ::fedisableexcept(FE_ALL_EXCEPT);
}

}  // namespace vantor::platform
