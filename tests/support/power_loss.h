#pragma once
// Simulated power loss. The hook watches every platform operation (see
// platform/fault_hook.h) under a game folder and remembers what a real disk
// would have made durable: a file's bytes when it is flushed, a folder's
// entries when the folder is flushed,
// and both for everything below a folder when its whole tree is flushed.
// Folders are known by their inode, so a folder renamed after its entries
// were made durable keeps them under its new name.
// At the chosen operation the machine "stops": the durable state is taken
// at that moment and every later operation fails, so nothing more reaches
// the disk. What the player finds after the reboot is that durable state.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/fault_hook.h"
#include "services/values.h"

namespace vantor::testing {

class power_loss final : public platform::fault_hook {
 public:
  /// Watches root (whose files are all durable now) and stops the machine
  /// at operation stop_at (from 1); 0 never stops it.
  power_loss(std::string root, int stop_at);
  ~power_loss() override;

  platform::fault before(platform::operation op, std::string_view path, std::string_view other) override;

  int operations_seen() const { return seen_; }
  /// Stops the machine now (after the command has returned).
  void stop_now() { stopped_ = true; }
  bool stopped() const { return stopped_; }
  /// Relative path -> bytes, as found after the reboot. Asked for once the
  /// command has returned (its files are closed then).
  std::map<std::string, byte_string> after_reboot();

 private:
  using inode = std::uint64_t;
  void remember_folder(const std::string& folder);
  void remember_file(const std::string& path);
  void settle();
  void remember_tree(const std::string& folder);
  std::map<std::string, byte_string> durable_state() const;

  std::string root_;
  int stop_at_;
  int seen_ = 0;
  std::map<inode, std::map<std::string, inode>> durable_entries_;  // folder -> name -> inode
  std::map<inode, byte_string> durable_bytes_;
  std::set<inode> folders_;
  // Files flushed while the program still held them open and unshared (as
  // Windows keeps them): their bytes are taken as soon as they can be read.
  // Nothing changes them after their flush, and nothing at all after the
  // machine stops.
  std::vector<std::string> unsettled_;
  bool stopped_ = false;
};

}  // namespace vantor::testing
