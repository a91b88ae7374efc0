#include "workflow/model_folder.h"

#include "formats/game_layout.h"
#include "platform/system_error.h"
#include "services/archive/archive.h"
#include "services/files.h"

namespace vantor {

status check_model_source(const workflow_state& state) {
  if (file_exists(state.model_folder) || file_exists(state.model_package)) return {};
  return failure{os_error::not_found, state.model_folder};
}

outcome<prepared_model> prepare_model(const workflow_state& state, const progress_callback& progress) {
  if (file_exists(state.model_folder)) {
    auto pose = staged_file::prepare(layout::path_in(state.model_folder, {layout::pose_name}), state.pose_update);
    if (!pose) return pose.error();
    return prepared_model{std::move(*pose), std::nullopt};
  }

  auto folder = staged_folder::begin(state.model_folder);
  if (!folder) return folder.error();
  // Destroying the staged folder on any failure below removes what was made.
  if (status unpacked = unpack_archive(state.model_package, folder->temporary_path(), progress, &folder->flusher());
      !unpacked)
    return unpacked.error();
  if (status put = folder->put_file(layout::pose_name, state.pose_update); !put) return put.error();
  if (status flushed = folder->flush(); !flushed) return flushed.error();
  return prepared_model{std::nullopt, std::move(*folder)};
}

}  // namespace vantor
