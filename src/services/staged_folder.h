#pragma once
// Putting a whole new folder in place so that it is never seen half made:
// it is built beside its target under a temporary name, flushed to disk,
// and one rename puts it in place. Until the rename nothing is at the
// target; after it (and the flush of the parent folder) the complete folder
// is durable.

#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/outcome.h"
#include "platform/tree_flusher.h"
#include "services/bytes.h"
#include "services/staged_entry.h"

namespace vantor {

/// A new folder, built at target + temporary_suffix, for a target where
/// nothing stands yet. Destroying it without commit() removes the temporary
/// folder and everything in it.
class staged_folder : public staged_entry {
 public:
  /// Claims the temporary path beside target, after removing whatever an
  /// interrupted run left there, and creates the new, empty folder there,
  /// held open from now to the commit (platform::held_folder). Fails with
  /// exists when something stands at the target, letter case aside, or at
  /// the temporary path and cannot be removed.
  static outcome<staged_folder> begin(std::string_view target);

  staged_folder(staged_folder&&) noexcept = default;
  staged_folder& operator=(staged_folder&&) noexcept = default;

  /// The new folder, held: what is built in it is made through it.
  const platform::held_folder& folder() const { return *held_; }

  /// Whether anything at the top of the new folder has the name, letter case
  /// aside.
  bool holds_file_named(std::string_view name) const;
  /// Writes a file at the top of the new folder, replacing one there whose
  /// name differs only in letter case.
  status put_file(std::string_view name, byte_view bytes);
  /// Renames the new folder into place, as staged_entry::commit does, once
  /// the temporary path is seen to lead to the very folder that was built:
  /// a folder or link another program put in its place meanwhile is
  /// refused (not_a_folder) and nothing is renamed.
  status commit();
  /// Told of each file the builder completes in the new folder, so it can
  /// be made durable while the building goes on.
  platform::tree_flusher& flusher() { return *flusher_; }
  /// Makes everything in the new folder durable; before commit(), so the
  /// rename can only ever make the complete folder appear.
  status flush();
  /// Takes a folder that commit() put in place away again: renamed back to
  /// its temporary name (one step, so it is there whole or not at all), the
  /// parent flushed, and the temporary folder removed. Fails when the rename
  /// back fails (the folder then stays in place, whole) or a later step
  /// does (the rest is a leftover the next run removes).
  status withdraw();

 private:
  staged_folder(std::string target, std::string temporary);

  // Destroyed before the folder is removed: its threads have ended by then,
  // and the folder is no longer held.
  std::unique_ptr<platform::held_folder> held_;
  std::unique_ptr<platform::tree_flusher> flusher_;
};

/// Removes whatever stands at the temporary folder's name beside target
/// (target + temporary_suffix): the folder an interrupted run left, with
/// everything in it, or a file, pipe or link there (a link itself, never
/// what it points at). Called at the start of a command, like
/// remove_stale_temporaries; the name is the program's own.
void remove_stale_temporary_folder(std::string_view target);
/// Whether anything is there (what remove_stale_temporary_folder would
/// remove).
bool has_stale_temporary_folder(std::string_view target);

/// Removes a folder and everything below it, depth first. A symbolic link is
/// removed itself, never followed; a file or link at the path is removed
/// like a folder's entry. Nothing at the path is success. On a failure the
/// rest is still tried, and the first failure is given.
status remove_folder_tree(std::string_view path);

}  // namespace vantor
