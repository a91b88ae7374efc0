#pragma once
// The fault switch, for tests only: the program never sets a hook. Each
// operation listed below asks the hook first, in one place (the front door,
// platform/files.cpp, the tree flusher and the desktop's opener); a failure
// makes that operation fail as if the system had refused it. Looking at
// what a path names (check_folder, kind_of, resolve_path) asks nothing, and
// a folder listing cannot be made to fail: it is only told (folder_listed).

#include <chrono>
#include <optional>
#include <string_view>

#include "platform/outcome.h"
#include "platform/system_error.h"

namespace vantor::platform {

/// The operations the hook is asked about, the same on every system.
enum class operation {
  open,
  read,
  write,
  flush,
  close,
  rename,
  remove,
  copy,
  create_folder,
  open_address,
  flush_tree,
  free_space,
  seek,
  size,
  set_writable,
  set_file_times,
  lock_folder,
  permissions,
  set_permissions,
  read_link,
  make_link,
  run_elevated,
  check_writable,
  link,
  open_folder,
};

/// What the hook asks of one operation.
struct fault {
  std::optional<failure_kind> error;  ///< none lets the operation run
  bool partial = false;               ///< for a write: write half the bytes, then fail
  /// The operation waits this long first, as on a slow disk; the hook is
  /// free for other threads meanwhile.
  std::chrono::milliseconds delay{0};
};

/// The hook is asked by one thread at a time (the platform layer flushes
/// files on threads of its own), so it needs no locking of its own.
class fault_hook {
 public:
  virtual ~fault_hook() = default;
  /// Called before each operation with its path, and the target path of a
  /// rename or copy.
  virtual fault before(operation op, std::string_view path, std::string_view other_path) = 0;
  /// Told of each folder listing (list_folder, and the letter-case lookup's
  /// own), which cannot be made to fail; lets tests count them.
  virtual void folder_listed(std::string_view /*folder*/) {}
  /// Whether renaming over a read-only file is refused, as Windows refuses
  /// it (access denied). Asked by the Windows rename itself, at the system
  /// call: Wine running as root replaces a read-only file, so a test that
  /// sets the attribute for real turns Windows' rule on here. Elsewhere
  /// never asked.
  virtual bool read_only_refused() { return false; }
  /// Whether a new tree is made durable file by file, as on Windows, even
  /// where the system flushes a whole file system in one call: lets tests
  /// on Linux take Windows' way through the flushes.
  virtual bool flushes_each_file() { return false; }
  /// Whether a thread the platform layer would start (the tree flusher's)
  /// is refused, as when the system has none to give.
  virtual bool threads_refused() { return false; }
};

/// Installs a hook (nullptr removes it).
void set_fault_hook(fault_hook* hook);

}  // namespace vantor::platform
