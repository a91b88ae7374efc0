#include "workflow/leftovers.h"

#include <string>

#include "formats/game_layout.h"
#include "platform/system_error.h"
#include "services/files.h"
#include "services/kept_file.h"
#include "services/staged_entry.h"
#include "services/staged_folder.h"
#include "workflow/refusal.h"
#include "workflow/session.h"

namespace vantor {

namespace {

// The files the commands replace, as the game folder has them.
struct own_files {
  text bundle, backup, action, pose;
};

own_files files_of(const workflow_state& state) {
  return {state.bundle_path, state.backup_path, layout::path_in(state.common_folder, {layout::action_name}),
          layout::path_in(state.model_folder, {layout::pose_name})};
}

// The entry beside a file under one of the program's names, letter case
// aside (the name itself may differ in case, as the file does).
text beside(const text& file, std::string_view suffix) { return resolve_path(file + std::string(suffix)); }

// Whether something stands at a path beside() gave (resolved already).
bool stands(const text& path) { return exact_entry_type_of(path) != entry_type::none; }

}  // namespace

std::vector<text> leftovers(const workflow_state& state) {
  const own_files files = files_of(state);
  std::vector<text> found;
  for (const text& file : {files.bundle, files.backup, files.action, files.pose})
    for (const std::string_view suffix : {temporary_suffix, kept_suffix})
      if (const text path = beside(file, suffix); stands(path)) found.push_back(path);
  if (has_stale_temporary_folder(state.model_folder))
    found.push_back(resolve_path(state.model_folder + std::string(temporary_suffix)));
  return found;
}

status clear_leftovers(const workflow_state& state) {
  const own_files files = files_of(state);
  const text kept_pose = beside(files.pose, kept_suffix), kept_action = beside(files.action, kept_suffix);
  if (stands(kept_pose) || stands(kept_action)) {
    // Before the commit the last file's temporary still stands: the bundle's
    // (the action file is kept aside only when the bundle comes after it),
    // or else the action file's.
    const bool committed = !stands(beside(files.bundle, temporary_suffix)) &&
                           (stands(kept_action) || !stands(beside(files.action, temporary_suffix)));
    for (const text& kept : {kept_pose, kept_action}) {
      if (!stands(kept)) continue;
      const text target = kept.substr(0, kept.size() - kept_suffix.size());
      if (committed) {
        if (status dropped = remove_file(kept); !dropped) return dropped;
      } else if (status back = rename_over(kept, target); !back) {
        return failure{refusal::not_put_back, target};
      }
    }
  }
  for (const text& path : leftovers(state)) {
    // Files, links, pipes and folders alike, never following a link.
    if (status removed = remove_folder_tree(path); !removed) return removed;
  }
  return {};
}

}  // namespace vantor
