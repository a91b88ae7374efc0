#include "workflow/status.h"

#include "formats/game_layout.h"
#include "services/bytes.h"
#include "services/digest.h"
#include "services/files.h"
#include "services/texts.h"

namespace vantor {

namespace {

// Stock, or stock but for the frame count field (an upgraded bundle), or
// neither.
bundle_state classify_bundle(std::string_view path, const stock_identity& identity, std::int32_t& frame_count) {
  if (!file_exists(path)) return bundle_state::missing;
  byte_string prefix = read_file_start(path, identity.prefix_length);
  if (compare_texts(md5_text_digest(prefix), identity.digest) == 0) return bundle_state::stock;
  const auto offset = static_cast<std::size_t>(identity.count_offset);
  if (prefix.size() != static_cast<std::size_t>(identity.prefix_length) || offset + 4 > prefix.size())
    return bundle_state::modified;
  frame_count = to_integer_value(read_value_at(prefix, value_kind::int32, identity.count_offset + 1));
  store_le32(prefix.data() + offset, identity.stock_count);
  return compare_texts(md5_text_digest(prefix), identity.digest) == 0 ? bundle_state::upgraded
                                                                      : bundle_state::modified;
}

const char* bundle_words(bundle_state state) {
  switch (state) {
    case bundle_state::missing: return "missing";
    case bundle_state::stock: return "stock";
    case bundle_state::upgraded: return "upgraded";
    case bundle_state::modified: return "modified (not the stock bundle)";
  }
  return "";
}

}  // namespace

game_status read_status(const patch_session& session) {
  const auto& state = session.state();
  game_status status;
  status.game_folder = state.run_folder;
  status.live = classify_bundle(state.bundle_path, session.identity(), status.live_frame_count);
  std::int32_t ignored = 0;
  status.backup = classify_bundle(state.backup_path, session.identity(), ignored);
  if (status.backup == bundle_state::upgraded) status.backup = bundle_state::modified;  // a backup is never upgraded
  if (file_exists(layout::path_in(state.run_folder, {layout::model_folder})))
    status.model = model_state::present;
  else if (file_exists(layout::path_in(state.run_folder, {layout::model_package})))
    status.model = model_state::missing_with_package;
  status.frame_summary = frame_summary(state.new_frame_count, session.identity().stock_count);
  return status;
}

std::vector<std::string> describe_status(const game_status& status) {
  std::string live = std::string("bundle: ") + bundle_words(status.live);
  if (status.live == bundle_state::upgraded) live += ", frame count " + to_text(status.live_frame_count);
  const char* model = status.model == model_state::present                ? "present"
                      : status.model == model_state::missing_with_package ? "missing (pmodel.pak will be unpacked)"
                                                                          : "missing";
  return {"game folder: " + status.game_folder, live, std::string("backup: ") + bundle_words(status.backup),
          std::string("model folder: ") + model, "update package: " + status.frame_summary};
}

}  // namespace vantor
