// POSIX implementation of the platform layer.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "platform/platform.h"

namespace vantor::platform {

const char path_separator = '/';
const std::string_view browser_command = "xdg-open";

namespace {

thread_local failure g_last_failure = failure::none;
fault_hook* g_fault_hook = nullptr;

failure failure_from_errno(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR: return failure::not_found;
    case EEXIST: return failure::exists;
    case EISDIR:
    case ELOOP: return failure::not_a_file;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return failure::no_space;
    case EIO: return failure::io_error;
    case EACCES:
    case EPERM:
    case EROFS: return failure::no_permission;
    default: return failure::other;
  }
}

bool fail_with_errno() {
  g_last_failure = failure_from_errno(errno);
  return false;
}

bool fail_with(failure reason) {
  g_last_failure = reason;
  return false;
}

// Asks the test hook, if any, about one operation.
fault ask_hook(operation op, std::string_view path, std::string_view other = {}) {
  if (g_fault_hook == nullptr) return {};
  fault answer = g_fault_hook->before(op, path, other);
  if (answer.error != failure::none && !answer.partial) g_last_failure = answer.error;
  return answer;
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

std::string join_path(std::string_view folder, std::string_view part) {
  std::string joined(folder);
  if (!joined.empty() && joined.back() != path_separator && !part.empty() && part.front() != path_separator)
    joined += path_separator;
  joined += part;
  return joined;
}

std::string parent_folder(std::string_view path) {
  const auto last = path.rfind(path_separator);
  if (last == std::string_view::npos) return {};
  if (last == 0) return std::string(1, path_separator);
  return std::string(path.substr(0, last));
}

std::string_view file_name(std::string_view path) {
  const auto last = path.rfind(path_separator);
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

failure last_failure() { return g_last_failure; }

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
  return names;
}

// --- file -------------------------------------------------------------------

file::file(file&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

file& file::operator=(file&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) ::close(handle_);
    handle_ = std::exchange(other.handle_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

file::~file() {
  if (handle_ >= 0) ::close(handle_);
}

std::int64_t file::read(void* buffer, std::size_t size) {
  if (handle_ < 0) return -1;
  if (ask_hook(operation::read, path_).error != failure::none) return -1;
  while (true) {
    const ssize_t got = ::read(handle_, buffer, size);
    if (got >= 0) return got;
    if (errno != EINTR) {
      fail_with_errno();
      return -1;
    }
  }
}

bool file::write(const void* data, std::size_t size) {
  if (handle_ < 0) return fail_with(failure::other);
  const fault answer = ask_hook(operation::write, path_);
  bool fail_after = false;
  if (answer.error != failure::none) {
    if (!answer.partial) return false;
    size /= 2;  // a short write: half gets to the file, then the failure
    fail_after = true;
  }
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::write(handle_, bytes, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      return fail_with_errno();
    }
    if (put == 0) return fail_with(failure::no_space);
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  if (fail_after) return fail_with(answer.error);
  return true;
}

bool file::seek(std::int64_t offset) {
  if (handle_ < 0) return fail_with(failure::other);
  if (::lseek(handle_, static_cast<off_t>(offset), SEEK_SET) < 0) return fail_with_errno();
  return true;
}

std::int64_t file::position() {
  if (handle_ < 0) return -1;
  return ::lseek(handle_, 0, SEEK_CUR);
}

std::int64_t file::size() {
  struct stat info;
  if (handle_ < 0 || ::fstat(handle_, &info) != 0) return -1;
  return info.st_size;
}

bool file::flush() {
  if (handle_ < 0) return fail_with(failure::other);
  if (ask_hook(operation::flush, path_).error != failure::none) return false;
  if (::fsync(handle_) != 0) return fail_with_errno();
  return true;
}

bool file::close() {
  if (handle_ < 0) return fail_with(failure::other);
  const int handle = std::exchange(handle_, -1);
  if (ask_hook(operation::close, path_).error != failure::none) {
    ::close(handle);
    return false;
  }
  if (::close(handle) != 0 && errno != EINTR) return fail_with_errno();
  return true;
}

file open_file(std::string_view path, open_mode mode) {
  if (path.empty()) {
    fail_with(failure::not_found);
    return {};
  }
  std::string resolved = resolve_path(path);
  if (ask_hook(operation::open, resolved).error != failure::none) return {};

  int flags = O_CLOEXEC;
  switch (mode) {
    case open_mode::read: flags |= O_RDONLY; break;
    case open_mode::write_existing: flags |= O_WRONLY | O_NOFOLLOW; break;
    case open_mode::replace: flags |= O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW; break;
    case open_mode::create_new: flags |= O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW; break;
  }
  int handle;
  do {
    handle = ::open(resolved.c_str(), flags, 0666);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) {
    fail_with_errno();
    return {};
  }
  struct stat info;
  if (::fstat(handle, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(handle);
    fail_with(failure::not_a_file);
    return {};
  }
  return file(handle, std::move(resolved));
}

// --- whole entries ------------------------------------------------------------

bool rename_over(std::string_view from, std::string_view to) {
  const std::string source = resolve_path(from);
  const std::string target = resolve_path(to);
  if (ask_hook(operation::rename, source, target).error != failure::none) return false;
  if (::rename(source.c_str(), target.c_str()) != 0) return fail_with_errno();
  return true;
}

bool remove_file(std::string_view path) {
  if (path.empty()) return fail_with(failure::not_found);
  const std::string resolved = resolve_path(path);
  if (ask_hook(operation::remove, resolved).error != failure::none) return false;
  if (::unlink(resolved.c_str()) != 0) return fail_with_errno();
  return true;
}

bool copy_file(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return fail_with(failure::not_found);
  const std::string source = resolve_path(from);
  const std::string target = resolve_path(to);
  if (ask_hook(operation::copy, source, target).error != failure::none) return false;

  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return fail_with_errno();
  struct stat info;
  if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(in);
    return fail_with(failure::not_a_file);
  }
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (out < 0) {
    const int saved = errno;
    ::close(in);
    errno = saved;
    return fail_with_errno();
  }
  static constexpr std::size_t chunk = 1 << 20;
  std::vector<char> buffer(chunk);
  bool ok = true;
  while (ok) {
    const ssize_t got = ::read(in, buffer.data(), chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0 || fail_with_errno();
      break;
    }
    for (ssize_t done = 0; done < got && ok;) {
      const ssize_t put = ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) ok = put < 0 ? fail_with_errno() : fail_with(failure::no_space);
      else done += put;
    }
  }
  ::close(in);
  if (::close(out) != 0 && ok) ok = fail_with_errno();
  return ok;
}

bool create_folder(std::string_view path) {
  if (path.empty()) return fail_with(failure::not_found);
  const std::string resolved = resolve_path(path);
  if (ask_hook(operation::create_folder, resolved).error != failure::none) return false;
  if (::mkdir(resolved.c_str(), 0777) != 0) return fail_with_errno();
  return true;
}

bool flush_folder(std::string_view path) {
  const std::string resolved = resolve_path(path.empty() ? std::string_view(".") : path);
  if (ask_hook(operation::flush, resolved).error != failure::none) return false;
  const int handle = ::open(resolved.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return fail_with_errno();
  const bool ok = ::fsync(handle) == 0 || fail_with_errno();
  ::close(handle);
  return ok;
}

bool set_writable(std::string_view path, bool writable) {
  const std::string resolved = resolve_path(path);
  struct stat info;
  if (::lstat(resolved.c_str(), &info) != 0) return fail_with_errno();
  if (S_ISLNK(info.st_mode)) return fail_with(failure::not_a_file);  // never touch a link's target
  mode_t mode = info.st_mode & 07777;
  mode = writable ? (mode | S_IWUSR) : (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH));
  if (::chmod(resolved.c_str(), mode) != 0) return fail_with_errno();
  return true;
}

bool set_file_times(std::string_view path, file_time access, file_time modification) {
  const std::string resolved = resolve_path(path);
  const timespec times[2] = {{static_cast<time_t>(access.seconds), access.nanoseconds},
                             {static_cast<time_t>(modification.seconds), modification.nanoseconds}};
  if (::utimensat(AT_FDCWD, resolved.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return fail_with_errno();
  return true;
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

bool set_current_folder(std::string_view path) {
  if (path.empty()) return fail_with(failure::not_found);
  if (::chdir(std::string(path).c_str()) != 0) return fail_with_errno();
  return true;
}

bool start_program(std::string_view command_line) {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < command_line.size();) {
    while (i < command_line.size() && command_line[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < command_line.size() && command_line[i] != ' ') ++i;
    if (i > start) words.emplace_back(command_line.substr(start, i - start));
  }
  if (words.empty()) return fail_with(failure::not_found);
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The started program is detached through an intermediate child, so it
  // never stays behind as a zombie; a pipe closed by a successful exec tells
  // whether it could be started.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return fail_with_errno();
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return fail_with_errno();
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    if (::fork() == 0) {
      ::execvp(argv[0], argv.data());
      const int code = errno;
      [[maybe_unused]] auto ignored = ::write(report[1], &code, sizeof code);
      ::_exit(127);
    }
    ::_exit(0);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int exec_error = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &exec_error, sizeof exec_error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got > 0) {
    errno = exec_error;
    return fail_with_errno();
  }
  return true;
}

void set_fault_hook(fault_hook* hook) { g_fault_hook = hook; }

}  // namespace vantor::platform
