#pragma once
// Where a game folder stands, for the command-line patcher's status command.
// Reading it changes nothing.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/animation_bundle.h"
#include "workflow/session.h"

namespace vantor {

enum class model_state { present, missing_with_package, missing, not_a_folder };

struct game_status {
  text game_folder;
  bundle_kind live = bundle_kind::missing;
  std::int32_t live_frame_count = 0;  ///< the frame count field of an upgraded live bundle
  bundle_kind backup = bundle_kind::missing;
  model_state model = model_state::missing;
  bool model_leftover = false;  ///< a model folder an interrupted upgrade left half unpacked
  text frame_summary;
};

/// Reads the state of the session's game folder (after start_session).
game_status read_status(const patch_session& session);

/// One line per item, as the command-line patcher prints them.
std::vector<std::string> describe_status(const game_status& status);

}  // namespace vantor
