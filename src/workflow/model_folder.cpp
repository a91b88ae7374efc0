#include "workflow/model_folder.h"

#include "formats/game_layout.h"
#include "platform/system_error.h"
#include "services/archive/archive.h"
#include "services/archive/archive_error.h"
#include "services/files.h"
#include "services/kept_file.h"

namespace vantor {

status check_model_source(const workflow_state& state) {
  if (file_exists(state.model_folder)) return {};
  if (entry_type_of(state.model_package) == entry_type::none) return failure{os_error::not_found, state.model_folder};
  // A package that cannot be opened (held by another program, refused, a
  // folder or a pipe at its name) says so now, not later as a damaged one.
  if (auto package = file_reader::open(state.model_package); !package) return package.error();
  return {};
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
  if (status unpacked = unpack_archive(state.model_package, folder->folder(), true, progress, &folder->flusher());
      !unpacked)
    return unpacked.error();
  // The pose file's temporary and kept-aside names are the program's own:
  // a package file of such a name would be taken for a leftover.
  for (const std::string_view suffix : {temporary_suffix, kept_suffix}) {
    const std::string reserved = std::string(layout::pose_name) + std::string(suffix);
    if (folder->holds_file_named(reserved))
      return failure{archive_error::unsafe_name, layout::path_in(state.model_package, {reserved})};
  }
  if (status put = folder->put_file(layout::pose_name, state.pose_update); !put) return put.error();
  if (status flushed = folder->flush(); !flushed) return flushed.error();
  return prepared_model{std::nullopt, std::move(*folder)};
}

}  // namespace vantor
