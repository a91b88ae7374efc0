#include "support/power_loss.h"

#include <sys/stat.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace vantor::testing {

namespace fs = std::filesystem;

namespace {
unsigned long inode_of(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 ? static_cast<unsigned long>(info.st_ino) : 0;
}
}  // namespace

power_loss::power_loss(std::string root, int stop_at) : root_(std::move(root)), stop_at_(stop_at) {
  // At the start everything on disk is durable.
  remember_tree(root_);
  platform::set_fault_hook(this);
}

power_loss::~power_loss() { platform::set_fault_hook(nullptr); }

void power_loss::remember_folder(const std::string& folder) {
  auto& entries = durable_entries_[inode_of(folder)];
  entries.clear();
  folders_.insert(inode_of(folder));
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string path = entry.path().string();
    entries[entry.path().filename().string()] = inode_of(path);
    if (entry.is_directory()) folders_.insert(inode_of(path));
  }
}

void power_loss::remember_file(const std::string& path) { durable_bytes_[inode_of(path)] = file_bytes(path); }

void power_loss::remember_tree(const std::string& folder) {
  remember_folder(folder);
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_symlink()) continue;
    if (entry.is_directory())
      remember_folder(entry.path().string());
    else
      remember_file(entry.path().string());
  }
}

platform::fault power_loss::before(platform::operation op, std::string_view path, std::string_view) {
  if (stopped()) return {failure_kind::io_error};
  ++seen_;
  if (seen_ == stop_at_) {
    after_reboot_ = durable_state();
    return {failure_kind::io_error};
  }
  if (op == platform::operation::flush && std::string_view(path).starts_with(root_)) {
    const std::string target(path);
    if (fs::is_directory(target))
      remember_folder(target);
    else
      remember_file(target);
  }
  if (op == platform::operation::flush_tree && std::string_view(path).starts_with(root_))
    remember_tree(std::string(path));
  return {};
}

// Walks the durable folder entries from the root; a file whose bytes were
// never flushed comes back empty, as on a journalled file system after a
// crash.
std::map<std::string, byte_string> power_loss::durable_state() const {
  std::map<std::string, byte_string> files;
  std::vector<std::pair<inode, std::string>> pending{{inode_of(root_), ""}};
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
