// POSIX implementation of the platform layer.

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

#include "platform/platform.h"
#include "platform/platform_shared.h"

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

bool exists_exactly(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}

// The single entry of folder whose name equals part without regard to case.
std::optional<std::string> unique_case_match(const std::string& folder, std::string_view part) {
  std::optional<std::string> match;
  for (auto& name : list_folder(folder.empty() ? "." : folder)) {
    if (!equal_ignoring_ascii_case(name, part)) continue;
    if (match) return std::nullopt;  // ambiguous: the folder was made on a case-sensitive system
    match = std::move(name);
  }
  return match;
}

}  // namespace

bool is_separator(char c) { return c == '/'; }

std::string parent_folder(std::string_view path) {
  const auto last = path.rfind(path_separator);
  if (last == std::string_view::npos) return {};
  if (last == 0) return std::string(1, path_separator);
  return std::string(path.substr(0, last));
}

std::string resolve_path(std::string_view path) {
  std::string exact(path);
  if (exact.empty() || exists_exactly(exact)) return exact;

  std::string resolved = path.front() == '/' ? "/" : "";
  std::size_t position = resolved.size();
  bool resolving = true;
  while (true) {
    auto next = path.find('/', position);
    if (next == std::string_view::npos) next = path.size();
    const auto part = path.substr(position, next - position);
    std::string candidate = resolved + std::string(part);
    if (resolving && !part.empty() && part != "." && part != ".." && !exists_exactly(candidate)) {
      if (auto match = unique_case_match(resolved, part))
        candidate = resolved + *match;
      else
        resolving = false;  // the rest does not exist; keep it as asked for
    }
    resolved = std::move(candidate);
    if (next == path.size()) break;
    resolved += '/';
    position = next + 1;
  }
  return resolved;
}

status check_folder(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  const std::string resolved = resolve_path(path);
  struct stat info;
  if (::stat(resolved.c_str(), &info) != 0) return from_errno(resolved);
  if (!S_ISDIR(info.st_mode)) return failure{os_error::not_a_file, resolved};
  return {};
}

entry_kind kind_of(std::string_view path) {
  if (path.empty()) return entry_kind::none;
  struct stat info;
  if (::lstat(resolve_path(path).c_str(), &info) != 0) return entry_kind::none;
  if (S_ISREG(info.st_mode)) return entry_kind::file;
  if (S_ISDIR(info.st_mode)) return entry_kind::folder;
  if (S_ISLNK(info.st_mode)) return entry_kind::link;
  return entry_kind::other;
}

std::vector<std::string> list_folder(std::string_view folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(std::string(folder).c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  shared::note_listing(folder);
  return names;
}

// --- file -------------------------------------------------------------------

outcome<std::size_t> file::read(void* buffer, std::size_t size) {
  if (handle_ < 0) return fail(os_error::other);
  if (const auto refusal = shared::refused(operation::read, path_)) return *refusal;
  while (true) {
    const ssize_t got = ::read(fd(handle_), buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return from_errno(path_);
  }
}


status file::seek(std::int64_t offset) {
  if (handle_ < 0) return fail(os_error::other);
  if (::lseek(fd(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) return from_errno(path_);
  return {};
}

outcome<std::int64_t> file::size() {
  struct stat info;
  if (handle_ < 0) return fail(os_error::other);
  if (::fstat(fd(handle_), &info) != 0) return from_errno(path_);
  return static_cast<std::int64_t>(info.st_size);
}

status file::flush() {
  if (handle_ < 0) return fail(os_error::other);
  if (const auto refusal = shared::refused(operation::flush, path_)) return *refusal;
  if (::fsync(fd(handle_)) != 0) return from_errno(path_);
  return {};
}

status file::close() {
  if (handle_ < 0) return fail(os_error::other);
  const int handle = fd(std::exchange(handle_, -1));
  if (const auto refusal = shared::refused(operation::close, path_)) {
    ::close(handle);
    return *refusal;
  }
  if (::close(handle) != 0 && errno != EINTR) return from_errno(path_);
  return {};
}

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

outcome<file> open_file(std::string_view path, open_mode mode) {
  if (path.empty()) return failure{os_error::not_found, {}};
  std::string resolved = resolve_path(path);
  if (const auto refusal = shared::refused(operation::open, resolved)) return *refusal;

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
  const auto handle = open_regular(resolved, flags);
  if (!handle) return handle.error();
  // Truncation waits until the file is known to be a regular one.
  if (mode == open_mode::replace && ::ftruncate(*handle, 0) != 0) {
    const failure why = from_errno(resolved);
    ::close(*handle);
    return why;
  }
  return file(*handle, std::move(resolved));
}

// --- whole entries ------------------------------------------------------------

status rename_over(std::string_view from, std::string_view to) {
  const std::string source = resolve_path(from);
  const std::string target = resolve_path(to);
  if (const auto refusal = shared::refused(operation::rename, source, target)) return *refusal;
  if (::rename(source.c_str(), target.c_str()) != 0) return from_errno(target);
  return {};
}

status remove_file(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  const std::string resolved = resolve_path(path);
  if (const auto refusal = shared::refused(operation::remove, resolved)) return *refusal;
  if (::unlink(resolved.c_str()) != 0) return from_errno(resolved);
  return {};
}

status copy_file(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return failure{os_error::not_found, std::string(from)};
  const std::string source = resolve_path(from);
  const std::string target = resolve_path(to);
  if (const auto refusal = shared::refused(operation::copy, source, target)) return *refusal;

  const auto opened_in = open_regular(source, O_RDONLY);
  if (!opened_in) return opened_in.error();
  const int in = *opened_in;
  const auto opened_out = open_regular(target, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW);
  if (!opened_out) {
    ::close(in);
    return opened_out.error();
  }
  const int out = *opened_out;
  static constexpr std::size_t chunk = 1 << 20;
  std::vector<char> buffer(chunk);
  std::optional<failure> why;
  while (!why) {
    const ssize_t got = ::read(in, buffer.data(), chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) why = from_errno(source);
    if (got <= 0) break;
    for (ssize_t done = 0; done < got && !why;) {
      const ssize_t put = ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0)
        why = from_errno(target);
      else if (put == 0)
        why = failure{os_error::no_space, target};
      else
        done += put;
    }
  }
  ::close(in);
  if (::close(out) != 0 && !why) why = from_errno(target);
  if (why) return *why;
  return {};
}

status create_folder(std::string_view path) { return create_folder_exactly(resolve_path(path)); }

status flush_folder(std::string_view path) {
  const std::string resolved = resolve_path(path.empty() ? std::string_view(".") : path);
  if (const auto refusal = shared::refused(operation::flush, resolved)) return *refusal;
  // As SQLite does: a folder that cannot be opened for flushing, or a file
  // system that does not flush folders, is no failure; only a flush that is
  // tried and fails is one.
  const int handle = ::open(resolved.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return {};
  const bool synced = ::fsync(handle) == 0;
  const int code = errno;
  ::close(handle);
  if (synced || code == EINVAL || code == ENOTSUP || code == EROFS || code == EBADF) return {};
  return failure{kind_from_errno(code), resolved};
}

status remove_entry(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  const std::string resolved = resolve_path(path);
  struct stat info;
  if (::lstat(resolved.c_str(), &info) != 0) return from_errno(resolved);
  if (!S_ISDIR(info.st_mode)) return remove_file(resolved);
  // A folder: its entries first, each looked at without following links.
  for (const auto& name : list_folder(resolved)) {
    if (status removed = remove_entry(join_path(resolved, name)); !removed) return removed;
  }
  return remove_folder(resolved);
}

// --- the run lock ---------------------------------------------------------------

outcome<folder_lock> lock_folder(std::string_view path, std::chrono::milliseconds wait) {
  const std::string resolved = resolve_path(path);
  const int handle = ::open(resolved.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return from_errno(resolved);
  // An advisory lock on the folder itself: nothing is left on disk, and the
  // system lets it go when the process ends, however it ends.
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    if (code == EINTR) continue;
    if (code != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(handle);
      if (code == EWOULDBLOCK) return failure{os_error::busy, {}};
      return failure{kind_from_errno(code), resolved};
    }
    ::usleep(20000);
  }
  return folder_lock(handle);
}

status set_writable(std::string_view path, bool writable) {
  const std::string resolved = resolve_path(path);
  struct stat info;
  if (::lstat(resolved.c_str(), &info) != 0) return from_errno(resolved);
  if (S_ISLNK(info.st_mode)) return failure{os_error::not_a_file, resolved};  // never touch a link's target
  mode_t mode = info.st_mode & 07777;
  mode = writable ? (mode | S_IWUSR) : (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH));
  if (::chmod(resolved.c_str(), mode) != 0) return from_errno(resolved);
  return {};
}

status set_file_times(std::string_view path, file_time access, file_time modification) {
  const std::string resolved = resolve_path(path);
  const timespec times[2] = {{static_cast<time_t>(access.seconds), access.nanoseconds},
                             {static_cast<time_t>(modification.seconds), modification.nanoseconds}};
  if (::utimensat(AT_FDCWD, resolved.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return from_errno(resolved);
  return {};
}

// --- new folder trees -----------------------------------------------------------

outcome<file> create_file_exactly(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  std::string exact(path);
  if (const auto refusal = shared::refused(operation::open, exact)) return *refusal;
  int handle;
  do {
    handle = ::open(exact.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) return from_errno(exact);
  return file(handle, std::move(exact));
}

status create_folder_exactly(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  const std::string exact(path);
  if (const auto refusal = shared::refused(operation::create_folder, exact)) return *refusal;
  if (::mkdir(exact.c_str(), 0777) != 0) return from_errno(exact);
  return {};
}

status remove_folder(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  const std::string resolved = resolve_path(path);
  if (const auto refusal = shared::refused(operation::remove, resolved)) return *refusal;
  if (::rmdir(resolved.c_str()) != 0) return from_errno(resolved);
  return {};
}

status flush_tree(std::string_view folder) {
  const std::string resolved = resolve_path(folder.empty() ? std::string_view(".") : folder);
  if (const auto refusal = shared::refused(operation::flush_tree, resolved)) return *refusal;
  const int handle = ::open(resolved.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (handle < 0) return from_errno(resolved);
  const bool synced = ::syncfs(handle) == 0;
  const failure why = from_errno(resolved);
  ::close(handle);
  if (!synced) return why;
  return {};
}

outcome<std::uint64_t> free_space(std::string_view path) {
  const std::string resolved = resolve_path(path.empty() ? std::string_view(".") : path);
  if (const auto refusal = shared::refused(operation::free_space, resolved)) return *refusal;
  struct statvfs info;
  if (::statvfs(resolved.c_str(), &info) != 0) return from_errno(resolved);
  return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

// --- process ------------------------------------------------------------------

std::string executable_folder() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  const std::string_view path(buffer, static_cast<std::size_t>(length));
  const auto last = path.rfind('/');
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last));
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

status open_address(std::string_view address) {
  if (address.empty()) return failure{os_error::not_found, {}};
  if (const auto refusal = shared::refused(operation::open_address, address)) return *refusal;
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
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(replacement_character);
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

namespace shared {
void close_handle(std::intptr_t handle) { ::close(fd(handle)); }

status write_all(std::intptr_t handle, const void* data, std::size_t size, const std::string& path) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd(handle), bytes, size);
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
}  // namespace shared

}  // namespace vantor::platform
