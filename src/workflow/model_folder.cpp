#include "workflow/model_folder.h"

#include "formats/game_layout.h"
#include "services/archive/archive.h"
#include "services/files.h"

namespace vantor {

namespace {

text model_folder_of(const workflow_state& state) { return layout::path_in(state.run_folder, {layout::model_folder}); }

text model_package_of(const workflow_state& state) {
  return layout::path_in(state.run_folder, {layout::model_package});
}

}  // namespace

status check_model_source(const workflow_state& state) {
  const text model_folder = model_folder_of(state);
  if (file_exists(model_folder) || file_exists(model_package_of(state))) return {};
  return failure{failure_kind::not_found, model_folder};
}

outcome<prepared_model> prepare_model(const workflow_state& state) {
  const text model_folder = model_folder_of(state);
  if (file_exists(model_folder)) {
    auto pose = staged_file::prepare(layout::path_in(model_folder, {layout::pose_name}), state.pose_update);
    if (!pose) return pose.error();
    return prepared_model{std::move(*pose), std::nullopt};
  }

  auto folder = staged_folder::begin(model_folder);
  if (!folder) return folder.error();
  // Destroying the staged folder on any failure below removes what was made.
  if (status unpacked = unpack_archive(model_package_of(state), folder->temporary_path()); !unpacked)
    return unpacked.error();
  if (status put = folder->put_file(layout::pose_name, state.pose_update); !put) return put.error();
  if (status flushed = folder->flush(); !flushed) return flushed.error();
  return prepared_model{std::nullopt, std::move(*folder)};
}

}  // namespace vantor
