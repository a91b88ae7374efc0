#include "workflow/status.h"

#include "formats/game_layout.h"
#include "services/files.h"
#include "services/staged_folder.h"
#include "services/texts.h"

namespace vantor {

namespace {

const char* bundle_words(bundle_kind kind) {
  switch (kind) {
    case bundle_kind::missing:
      return "missing";
    case bundle_kind::stock:
      return "stock";
    case bundle_kind::upgraded:
      return "upgraded";
    case bundle_kind::modified:
      return "modified (not the stock bundle)";
  }
  return "";
}

}  // namespace

game_status read_status(const patch_session& session) {
  const auto& state = session.state();
  game_status status;
  status.game_folder = state.run_folder;
  const bundle_inspection live = inspect_bundle(state.bundle_path, session.identity());
  status.live = live.kind;
  status.live_frame_count = live.frame_count;
  status.backup = inspect_bundle(state.backup_path, session.identity()).kind;
  if (status.backup == bundle_kind::upgraded) status.backup = bundle_kind::modified;  // a backup is never upgraded
  const text model_folder = layout::path_in(state.run_folder, {layout::model_folder});
  if (is_regular_file(model_folder))
    status.model = model_state::not_a_folder;
  else if (file_exists(model_folder))
    status.model = model_state::present;
  else if (file_exists(layout::path_in(state.run_folder, {layout::model_package})))
    status.model = model_state::missing_with_package;
  status.model_leftover = has_stale_temporary_folder(model_folder);
  status.frame_summary = frame_summary(state.new_frame_count, session.identity().stock_count);
  return status;
}

std::vector<std::string> describe_status(const game_status& status) {
  std::string live = std::string("bundle: ") + bundle_words(status.live);
  if (status.live == bundle_kind::upgraded) live += ", frame count " + to_text(status.live_frame_count);
  const char* model = status.model == model_state::present                ? "present"
                      : status.model == model_state::missing_with_package ? "missing (pmodel.pak will be unpacked)"
                      : status.model == model_state::not_a_folder         ? "not a folder (pmodel is a file)"
                                                                          : "missing";
  std::vector<std::string> lines = {"game folder: " + status.game_folder, live,
                                    std::string("backup: ") + bundle_words(status.backup),
                                    std::string("model folder: ") + model};
  if (status.model_leftover)
    lines.emplace_back(
        "unfinished model folder: pmodel.vantor-tmp (left by an interrupted upgrade; removed by the next command)");
  lines.push_back("update package: " + status.frame_summary);
  return lines;
}

}  // namespace vantor
