#pragma once
// The new pose file's way into the game: into the model folder that is
// there, or inside a whole new model folder unpacked from the model package.

#include <optional>

#include "platform/outcome.h"
#include "services/progress.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "workflow/session.h"

namespace vantor {

/// Exactly one of the two is set.
struct prepared_model {
  std::optional<staged_file> pose;      ///< the model folder is there: the new pose file beside the old one
  std::optional<staged_folder> folder;  ///< it is not: a complete new model folder holding the new pose file
};

/// Whether there is somewhere to put the pose file: the model folder (in
/// any letter case), or the model package to unpack it from. Changes
/// nothing.
status check_model_source(const workflow_state& state);

/// Prepares the new pose file. When the model folder is there it is never
/// unpacked again, whatever it holds. When it is missing, the model package
/// is unpacked into a new folder beside it (pmodel.vantor-tmp); only an
/// extraction of every entry counts, and a damaged, hostile or too large
/// package, a full disk or any other failure fails the preparation and
/// leaves nothing behind. The new pose file then replaces the package's in
/// the new folder, and the whole folder is flushed. Nothing in the game
/// folder changes here; the caller commits. Progress is told in entries of
/// the package.
outcome<prepared_model> prepare_model(const workflow_state& state, const progress_callback& progress = {});

}  // namespace vantor
