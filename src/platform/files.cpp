// The front door of the file system calls, the same on every system: each
// public call is defined here once, with its argument checks, the question
// to the fault hook, the letter-case lookup (letter_case.cpp) and the
// portable algorithms (recursive removal, the copy loop, the flush walk of a
// tree, the lock's wait). The native primitives under it are in platform_posix.cpp or
// platform_win32.cpp (platform/native.h).

#include "platform/files.h"

#include <chrono>
#include <optional>
#include <thread>
#include <utility>

#include "platform/flush_walk.h"
#include "platform/hook_calls.h"
#include "platform/letter_case.h"
#include "platform/native.h"

namespace vantor::platform {

namespace {

// The failure of a call given no path: nothing can be at an empty path.
failure no_path() { return failure{os_error::not_found, {}}; }

std::string looked_up(std::string_view path, path_lookup lookup) {
  return lookup == path_lookup::exact ? std::string(path) : resolve_path(path);
}

// A folder's calls that take "" as the current folder.
std::string folder_or_current(std::string_view path) {
  return resolve_path(path.empty() ? std::string_view(".") : path);
}

// Removes a resolved entry and, for a folder, everything in it first.
status remove_resolved(const std::string& path) {
  const auto kind = native::look_at(path);
  if (!kind) return kind.error();
  native::allow_removal(path);
  if (*kind != entry_kind::folder) {
    if (const auto refusal = hook_calls::refused(operation::remove, path)) return *refusal;
    return native::remove_file(path);
  }
  status result;
  for (const auto& name : list_folder(path)) {
    const status removed = remove_resolved(join_path(path, name));
    if (!removed && result) result = removed;
  }
  if (const auto refusal = hook_calls::refused(operation::remove, path)) return result ? status(*refusal) : result;
  if (status gone = native::remove_folder(path); !gone && result) result = gone;
  return result;
}

// Whether a resolved path names a folder, for the calls that take only one.
status folder_at(const std::string& path) {
  const auto kind = native::look_at(path);
  if (!kind) return kind.error();
  if (*kind != entry_kind::folder) return failure{os_error::not_a_file, path};
  return {};
}

}  // namespace

// --- paths ------------------------------------------------------------------

std::string join_path(std::string_view folder, std::string_view part) {
  std::string joined(folder);
  if (!joined.empty() && !is_separator(joined.back()) && !part.empty() && !is_separator(part.front()))
    joined += path_separator;
  joined += part;
  return joined;
}

std::string parent_folder(std::string_view path) {
  std::size_t last = path.size();
  while (last > 0 && !is_separator(path[last - 1])) --last;
  if (last == 0) return {};
  --last;
  if (last == 0) return std::string(path.substr(0, 1));
  if (native::paths_have_drives && last == 2 && path[1] == ':') return std::string(path.substr(0, 3));  // C:\ keeps it
  return std::string(path.substr(0, last));
}

// --- looking at entries -------------------------------------------------------

status check_folder(std::string_view path) {
  if (path.empty()) return no_path();
  return native::check_folder(resolve_path(path));
}

entry_kind kind_of(std::string_view path, path_lookup lookup) {
  if (path.empty()) return entry_kind::none;
  // As resolve_path would, the path is looked at as given first; only when
  // nothing is there is it resolved, and then looked at once more.
  const std::string exact(path);
  if (auto kind = native::look_at(exact)) return *kind;
  if (lookup == path_lookup::exact) return entry_kind::none;
  const std::string resolved = resolve_missing_path(path);
  if (resolved == exact) return entry_kind::none;
  return native::look_at(resolved).value_or(entry_kind::none);
}

std::vector<std::string> list_folder(std::string_view folder) {
  hook_calls::note_listing(folder);
  return native::list_folder(std::string(folder));
}

// --- file -------------------------------------------------------------------

file::file(file&& other) noexcept : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

file& file::operator=(file&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) native::close_quietly(handle_);
    handle_ = std::exchange(other.handle_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

file::~file() {
  if (handle_ >= 0) native::close_quietly(handle_);
}

outcome<std::size_t> file::read(void* buffer, std::size_t size) {
  if (handle_ < 0) return fail(os_error::other);
  if (const auto refusal = hook_calls::refused(operation::read, path_)) return *refusal;
  return native::read(handle_, buffer, size, path_);
}

status file::write(const void* data, std::size_t size) {
  if (handle_ < 0) return fail(os_error::other);
  const fault answer = hook_calls::ask(operation::write, path_);
  if (answer.error && !answer.partial) return fail(*answer.error);
  // A partial fault is a short write: half gets to the file, then the failure.
  if (status put = native::write(handle_, data, answer.error ? size / 2 : size, path_); !put) return put;
  if (answer.error) return fail(*answer.error);
  return {};
}

status file::seek(std::int64_t offset) {
  if (handle_ < 0) return fail(os_error::other);
  if (const auto refusal = hook_calls::refused(operation::seek, path_)) return *refusal;
  return native::seek(handle_, offset, path_);
}

outcome<std::int64_t> file::size() {
  if (handle_ < 0) return fail(os_error::other);
  if (const auto refusal = hook_calls::refused(operation::size, path_)) return *refusal;
  return native::size(handle_, path_);
}

status file::flush() {
  if (handle_ < 0) return fail(os_error::other);
  if (const auto refusal = hook_calls::refused(operation::flush, path_)) return *refusal;
  return native::flush(handle_, path_);
}

status file::set_times(file_time access, file_time modification) {
  if (handle_ < 0) return fail(os_error::other);
  if (const auto refusal = hook_calls::refused(operation::set_file_times, path_)) return *refusal;
  return native::set_times(handle_, access, modification, path_);
}

status file::close() {
  if (handle_ < 0) return fail(os_error::other);
  const native::handle handle = std::exchange(handle_, -1);
  if (const auto refusal = hook_calls::refused(operation::close, path_)) {
    native::close_quietly(handle);
    return *refusal;
  }
  return native::close(handle, path_);
}

outcome<file> open_file(std::string_view path, open_mode mode, path_lookup lookup) {
  if (path.empty()) return no_path();
  std::string resolved = looked_up(path, lookup);
  if (const auto refusal = hook_calls::refused(operation::open, resolved)) return *refusal;
  const auto handle = native::open(resolved, mode);
  if (!handle) return handle.error();
  return file(*handle, std::move(resolved));
}

// --- whole entries ------------------------------------------------------------

status rename_over(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return no_path();
  const std::string source = resolve_path(from);
  const std::string target = resolve_path(to);
  if (const auto refusal = hook_calls::refused(operation::rename, source, target)) return *refusal;
  return native::rename_over(source, target);
}

status remove_file(std::string_view path) {
  if (path.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::remove, resolved)) return *refusal;
  // Windows answers "access denied" for a folder, which would be retried and
  // then told as a refusal; the answer is the same everywhere this way.
  if (native::look_at(resolved).value_or(entry_kind::none) == entry_kind::folder)
    return failure{os_error::not_a_file, resolved};
  return native::remove_file(resolved);
}

status copy_file(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return failure{os_error::not_found, std::string(from)};
  const std::string source = resolve_path(from);
  const std::string target = resolve_path(to);
  if (const auto refusal = hook_calls::refused(operation::copy, source, target)) return *refusal;

  const auto in = native::open(source, open_mode::read);
  if (!in) return in.error();
  const auto out = native::open(target, open_mode::create_new);
  if (!out) {
    native::close_quietly(*in);
    return out.error();
  }
  std::vector<char> buffer(std::size_t{1} << 20);
  status copied;
  while (copied) {
    const auto got = native::read(*in, buffer.data(), buffer.size(), source);
    if (!got) {
      copied = got.error();
    } else if (*got == 0) {
      break;
    } else {
      copied = native::write(*out, buffer.data(), *got, target);
    }
  }
  native::close_quietly(*in);
  status closed = native::close(*out, target);
  if (!copied) return copied;
  return closed;
}

status check_replaceable(std::string_view path) {
  if (path.empty()) return no_path();
  return native::check_replaceable(resolve_path(path));
}

status link_file(std::string_view existing, std::string_view new_path) {
  if (existing.empty() || new_path.empty()) return no_path();
  const std::string source = resolve_path(existing);
  const std::string target = resolve_path(new_path);
  if (const auto refusal = hook_calls::refused(operation::link, source, target)) return *refusal;
  const auto kind = native::look_at(source);
  if (!kind) return kind.error();
  if (*kind != entry_kind::file) return failure{os_error::not_a_file, source};
  return native::make_hard_link(source, target);
}

status remove_entry(std::string_view path) {
  if (path.empty()) return no_path();
  return remove_resolved(resolve_path(path));
}

status create_folder(std::string_view path, path_lookup lookup) {
  if (path.empty()) return no_path();
  const std::string resolved = looked_up(path, lookup);
  if (const auto refusal = hook_calls::refused(operation::create_folder, resolved)) return *refusal;
  return native::create_folder(resolved);
}

status remove_folder(std::string_view path) {
  if (path.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::remove, resolved)) return *refusal;
  if (status folder = folder_at(resolved); !folder) return folder;  // a link is never followed
  return native::remove_folder(resolved);
}

status flush_folder(std::string_view path) {
  const std::string resolved = folder_or_current(path);
  if (const auto refusal = hook_calls::refused(operation::flush, resolved)) return *refusal;
  return native::flush_folder(resolved);
}

status flush_tree(std::string_view folder) {
  const std::string resolved = folder_or_current(folder);
  if (const auto refusal = hook_calls::refused(operation::flush_tree, resolved)) return *refusal;
  if (status is_folder = folder_at(resolved); !is_folder) return is_folder;
  if (auto whole = native::flush_file_system(resolved)) return *whole;
  return flush_files_below(resolved, native::flush_file_at);
}

outcome<std::uint64_t> free_space(std::string_view path) {
  const std::string resolved = folder_or_current(path);
  if (const auto refusal = hook_calls::refused(operation::free_space, resolved)) return *refusal;
  return native::free_space(resolved);
}

status check_writable(std::string_view folder) {
  const std::string resolved = folder_or_current(folder);
  if (const auto refusal = hook_calls::refused(operation::check_writable, resolved)) return *refusal;
  if (status is_folder = check_folder(resolved); !is_folder) return is_folder;  // links followed
  return native::check_writable(resolved);
}

status flush_files_below(const std::string& folder, const std::function<status(const std::string&)>& flush_file) {
  for (const auto& name : list_folder(folder)) {
    const std::string path = join_path(folder, name);
    const auto kind = native::look_at(path);
    if (!kind) continue;  // gone meanwhile
    if (*kind == entry_kind::folder) {
      if (status flushed = flush_files_below(path, flush_file); !flushed) return flushed;
    } else if (*kind == entry_kind::file) {
      if (status flushed = flush_file(path); !flushed) return flushed;
    }
  }
  return native::flush_folder(folder);
}

// --- the run lock ---------------------------------------------------------------

folder_lock::folder_lock(folder_lock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

folder_lock& folder_lock::operator=(folder_lock&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) native::close_quietly(handle_);
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

// Closing the handle lets the lock go (and, on Windows, deletes the lock file).
folder_lock::~folder_lock() {
  if (handle_ >= 0) native::close_quietly(handle_);
}

outcome<folder_lock> lock_folder(std::string_view path, std::chrono::milliseconds wait) {
  if (path.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::lock_folder, resolved)) return *refusal;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (true) {
    auto taken = native::try_lock(resolved);
    if (taken) return folder_lock(*taken);
    if (taken.error().kind != os_error::busy || std::chrono::steady_clock::now() >= deadline) return taken.error();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string_view folder_lock_file_name() { return native::lock_file_name; }

// --- held folders ------------------------------------------------------------------

outcome<held_folder> held_folder::open(std::string_view path) {
  if (path.empty()) return no_path();
  std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::open_folder, resolved)) return *refusal;
  const auto handle = native::open_folder(resolved);
  if (!handle) return handle.error();
  return held_folder(*handle, std::move(resolved));
}

held_folder::held_folder(held_folder&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

held_folder& held_folder::operator=(held_folder&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

held_folder::~held_folder() { release(); }

void held_folder::release() {
  if (handle_ >= 0) native::release_folder(std::exchange(handle_, -1));
}

outcome<held_folder> held_folder::duplicate() const {
  if (handle_ < 0) return failure{os_error::other, path_};
  const auto handle = native::duplicate_folder(handle_, path_);
  if (!handle) return handle.error();
  return held_folder(*handle, path_);
}

outcome<held_folder> held_folder::open_folder(std::string_view name) const {
  std::string path = inside(name);
  if (handle_ < 0) return failure{os_error::other, path};
  if (const auto refusal = hook_calls::refused(operation::open_folder, path)) return *refusal;
  const auto handle = native::open_folder_in(handle_, std::string(name), path);
  if (!handle) return handle.error();
  return held_folder(*handle, std::move(path));
}

status held_folder::create_folder(std::string_view name) const {
  const std::string path = inside(name);
  if (handle_ < 0) return failure{os_error::other, path};
  if (const auto refusal = hook_calls::refused(operation::create_folder, path)) return *refusal;
  return native::create_folder_in(handle_, std::string(name), path);
}

outcome<file> held_folder::create_file(std::string_view name) const {
  std::string path = inside(name);
  if (handle_ < 0) return failure{os_error::other, path};
  if (const auto refusal = hook_calls::refused(operation::open, path)) return *refusal;
  const auto handle = native::create_file_in(handle_, std::string(name), path);
  if (!handle) return handle.error();
  return file(*handle, std::move(path));
}

outcome<file> held_folder::rewrite_file(std::string_view name) const {
  std::string path = inside(name);
  if (handle_ < 0) return failure{os_error::other, path};
  if (const auto refusal = hook_calls::refused(operation::open, path)) return *refusal;
  const auto handle = native::rewrite_file_in(handle_, std::string(name), path);
  if (!handle) return handle.error();
  return file(*handle, std::move(path));
}

status held_folder::remove_file(std::string_view name) const {
  const std::string path = inside(name);
  if (handle_ < 0) return failure{os_error::other, path};
  if (const auto refusal = hook_calls::refused(operation::remove, path)) return *refusal;
  return native::remove_file_in(handle_, std::string(name), path);
}

entry_kind held_folder::kind_of(std::string_view name) const {
  if (handle_ < 0) return entry_kind::none;
  return native::look_at_in(handle_, std::string(name), inside(name)).value_or(entry_kind::none);
}

bool held_folder::is_at(std::string_view path) const {
  return handle_ >= 0 && !path.empty() && native::is_held_folder_at(handle_, std::string(path));
}

std::size_t held_folders_to_keep() { return native::folders_kept_held; }

// --- attributes -------------------------------------------------------------------

bool is_writable(file_permissions permissions) {
  return ((permissions.bits & native::write_permission_bit) != 0) == native::write_permission_bit_allows;
}

status set_writable(std::string_view path, bool writable) {
  if (path.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::set_writable, resolved)) return *refusal;
  return native::set_writable(resolved, writable);
}

outcome<file_permissions> permissions_of(std::string_view path) {
  if (path.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::permissions, resolved)) return *refusal;
  return native::permissions_of(resolved);
}

status set_permissions(std::string_view path, file_permissions permissions) {
  if (path.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::set_permissions, resolved)) return *refusal;
  return native::set_permissions(resolved, permissions);
}

outcome<std::string> read_link(std::string_view path) {
  if (path.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::read_link, resolved)) return *refusal;
  return native::read_link(resolved);
}

status make_link(std::string_view link_text, std::string_view path) {
  if (path.empty() || link_text.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::make_link, resolved)) return *refusal;
  return native::make_link(std::string(link_text), resolved);
}

status set_file_times(std::string_view path, file_time access, file_time modification) {
  if (path.empty()) return no_path();
  const std::string resolved = resolve_path(path);
  if (const auto refusal = hook_calls::refused(operation::set_file_times, resolved)) return *refusal;
  return native::set_file_times(resolved, access, modification);
}

}  // namespace vantor::platform
