#pragma once
// Where a game folder stands, for the command-line patcher's status command.
// Reading it changes nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/animation_bundle.h"
#include "workflow/session.h"

namespace vantor {

/// A bundle file as status sees it.
enum class bundle_state { missing, stock, upgraded, modified, not_a_file, unreadable };

enum class model_state {
  present,
  present_through_link,
  not_a_folder,
  missing_with_package,
  missing_package_unusable,  ///< missing, and pmodel.pak cannot be opened (see package_unread)
  missing,
};

struct game_status {
  text game_folder;
  bundle_state live = bundle_state::missing;
  std::int32_t live_frame_count = 0;   ///< the frame count field of an upgraded live bundle
  bool live_through_link = false;      ///< the live bundle is a link to a file, read through it as the commands do
  std::int64_t live_bytes_short = 0;   ///< an upgraded live bundle cut short: bytes missing of the package's frames
  bool live_without_frames = false;    ///< an upgraded live bundle with nothing after the stock prefix
  bool live_holds_package = false;     ///< an upgraded live bundle holds updatefile/new.amb.out's frames
  std::optional<failure> live_unread;  ///< why an unreadable live bundle could not be read
  bundle_state backup = bundle_state::missing;
  std::optional<failure> backup_unread;
  model_state model = model_state::missing;
  std::optional<failure> package_unread;  ///< why pmodel.pak cannot be opened
  std::vector<text> leftovers;            ///< temporaries an interrupted run left
  std::optional<text> lock_in_the_way;    ///< what stands at the run lock's file name
  std::vector<text> unwritable;           ///< folders the commands write in that refuse this user
  text frame_summary;
  std::vector<failure> package_problems;  ///< why an upgrade would refuse the package
};

/// Reads the state of the session's game folder (after start_session).
game_status read_status(const patch_session& session);

/// One line per item, as the command-line patcher prints them.
std::vector<std::string> describe_status(const game_status& status);

}  // namespace vantor
