#include "support/power_loss.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/system_error.h"
#include "support/file_identity.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace vantor::testing {

namespace fs = std::filesystem;

power_loss::power_loss(std::string root, int stop_at) : root_(generic_path(root)), stop_at_(stop_at) {
  // At the start everything on disk is durable.
  remember_tree(root_);
  platform::set_fault_hook(this);
}

power_loss::~power_loss() { platform::set_fault_hook(nullptr); }

void power_loss::remember_folder(const std::string& folder) {
  auto& entries = durable_entries_[identity_of(folder)];
  entries.clear();
  folders_.insert(identity_of(folder));
  for (const auto& entry : fs::directory_iterator(native_path(folder))) {
    const std::string path = utf8_of(entry.path());
    entries[utf8_of(entry.path().filename())] = identity_of(path);
    if (entry.is_directory()) folders_.insert(identity_of(path));
  }
}

void power_loss::remember_file(const std::string& path) {
  unsettled_.push_back(path);
  settle();
}

void power_loss::settle() {
  std::erase_if(unsettled_, [this](const std::string& path) {
    std::ifstream in(native_path(path), std::ios::binary);
    if (!in) return false;  // still held open by the program
    durable_bytes_[identity_of(path)] =
        byte_string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
  });
}

std::map<std::string, byte_string> power_loss::after_reboot() {
  settle();
  return durable_state();
}

void power_loss::remember_tree(const std::string& folder) {
  remember_folder(folder);
  for (const auto& entry : fs::recursive_directory_iterator(native_path(folder))) {
    if (entry.is_symlink()) continue;
    if (entry.is_directory())
      remember_folder(utf8_of(entry.path()));
    else
      remember_file(utf8_of(entry.path()));
  }
}

platform::fault power_loss::before(platform::operation op, std::string_view path, std::string_view) {
  if (stopped()) return {os_error::io_error};
  settle();
  ++seen_;
  if (seen_ == stop_at_) {
    stopped_ = true;
    return {os_error::io_error};
  }
  const std::string target = generic_path(path);
  if (!target.starts_with(root_)) return {};
  // Every operation is a moment the machine can stop at; only the flushes
  // make anything durable. A switch without default, so an operation added
  // to the platform layer is weighed here too.
  switch (op) {
    case platform::operation::flush:
      if (fs::is_directory(native_path(target)))
        remember_folder(target);
      else
        remember_file(target);
      break;
    case platform::operation::flush_tree:
      remember_tree(target);
      break;
    case platform::operation::open:
    case platform::operation::read:
    case platform::operation::write:
    case platform::operation::close:
    case platform::operation::rename:
    case platform::operation::remove:
    case platform::operation::copy:
    case platform::operation::create_folder:
    case platform::operation::open_address:
    case platform::operation::free_space:
    case platform::operation::seek:
    case platform::operation::size:
    case platform::operation::lock_folder:
    case platform::operation::permissions:
    case platform::operation::read_link:
    case platform::operation::make_link:  // a new entry: durable with its folder
    case platform::operation::link:       // a second name: durable with its folder
    case platform::operation::open_folder:
    case platform::operation::run_elevated:
    case platform::operation::check_writable:  // leaves nothing behind
      break;
    // File times and permissions are no bytes the reboot compares.
    case platform::operation::set_writable:
    case platform::operation::set_file_times:
    case platform::operation::set_permissions:
      break;
  }
  return {};
}

// Walks the durable folder entries from the root; a file whose bytes were
// never flushed comes back empty, as on a journalled file system after a
// crash.
std::map<std::string, byte_string> power_loss::durable_state() const {
  std::map<std::string, byte_string> files;
  std::vector<std::pair<inode, std::string>> pending{{identity_of(root_), ""}};
  while (!pending.empty()) {
    const auto [folder, relative] = pending.back();
    pending.pop_back();
    const auto found = durable_entries_.find(folder);
    if (found == durable_entries_.end()) continue;
    for (const auto& [name, node] : found->second) {
      const std::string child_relative = relative.empty() ? name : relative + "/" + name;
      if (folders_.count(node)) {
        files[child_relative] = bytes_of("<folder>");
        pending.emplace_back(node, child_relative);
      } else {
        const auto bytes = durable_bytes_.find(node);
        files[child_relative] = bytes == durable_bytes_.end() ? byte_string() : bytes->second;
      }
    }
  }
  return files;
}

}  // namespace vantor::testing
