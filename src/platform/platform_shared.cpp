// The parts of the platform layer that are the same on every system.

#include "platform/platform_shared.h"
#include "platform/system_error.h"

#include <utility>

namespace vantor::platform {

namespace shared {

namespace {
fault_hook* g_fault_hook = nullptr;
}  // namespace

fault ask_hook(operation op, std::string_view path, std::string_view other) {
  if (g_fault_hook == nullptr) return {};
  return g_fault_hook->before(op, path, other);
}

std::optional<failure> refused(operation op, std::string_view path, std::string_view other) {
  const fault answer = ask_hook(op, path, other);
  if (!answer.error) return std::nullopt;
  return failure{*answer.error, std::string(path)};
}

void note_listing(std::string_view folder) {
  if (g_fault_hook != nullptr) g_fault_hook->folder_listed(folder);
}

}  // namespace shared

void set_fault_hook(fault_hook* hook) { shared::g_fault_hook = hook; }

std::string join_path(std::string_view folder, std::string_view part) {
  std::string joined(folder);
  if (!joined.empty() && !is_separator(joined.back()) && !part.empty() && !is_separator(part.front()))
    joined += path_separator;
  joined += part;
  return joined;
}

file::file(file&& other) noexcept : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

file& file::operator=(file&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) shared::close_handle(handle_);
    handle_ = std::exchange(other.handle_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

file::~file() {
  if (handle_ >= 0) shared::close_handle(handle_);
}

status file::write(const void* data, std::size_t size) {
  if (handle_ < 0) return fail(os_error::other);
  const fault answer = shared::ask_hook(operation::write, path_);
  if (answer.error && !answer.partial) return fail(*answer.error);
  // A partial fault is a short write: half gets to the file, then the failure.
  if (status put = shared::write_all(handle_, data, answer.error ? size / 2 : size, path_); !put) return put;
  if (answer.error) return fail(*answer.error);
  return {};
}

folder_lock::folder_lock(folder_lock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

folder_lock& folder_lock::operator=(folder_lock&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) shared::close_handle(handle_);
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

// Closing the handle lets the lock go (and, on Windows, deletes the lock file).
folder_lock::~folder_lock() {
  if (handle_ >= 0) shared::close_handle(handle_);
}

}  // namespace vantor::platform
