#pragma once
// One run of the patcher: the paths and the update package it works with,
// and the commands the window's events and the command line call.

#include <cstdint>
#include <vector>

#include "formats/stock_identity.h"
#include "services/outcome.h"
#include "services/values.h"
#include "workflow/ports.h"

namespace vantor {

/// What the session knows, filled once by start_session.
struct workflow_state {
  text run_folder;
  text common_folder;
  text update_folder;
  text backup_path;
  text bundle_path;
  byte_string pose_update;
  byte_string action_update;
  byte_string new_frames;  ///< the new frame block of new.amb.out
  std::int32_t new_frame_count = 0;
  bool frame_package_read = false;  ///< new.amb.out was read and holds a count
};

class patch_session {
 public:
  explicit patch_session(session_ports ports, stock_identity identity = game_stock_identity);

  /// Start: resolves the paths from the run folder, refuses to run outside
  /// the game folder and shows the update package. False when it refused
  /// (and asked for the end of the program).
  bool start_session(std::string_view run_folder);
  /// Opens the author's homepage that the view shows.
  void open_homepage();
  /// "开始升级": the upgrade and its closing message; true on success.
  bool on_upgrade_clicked();
  /// "复原": the restore and its closing message; true on success.
  bool on_restore_clicked();
  /// At exit: drops everything the session holds.
  void release_session();

  /// The upgrade without its closing message; true when the new bundle and
  /// the two update files are all in place.
  bool run_upgrade();
  /// The restore without its closing message.
  bool run_restore();

  /// Why the last command failed, one entry per failed step, in order.
  const std::vector<failure>& reasons() const { return reasons_; }

  const workflow_state& state() const { return state_; }
  const stock_identity& identity() const { return identity_; }

 private:
  void note(failure why) { reasons_.push_back(std::move(why)); }

  session_ports ports_;
  stock_identity identity_;
  workflow_state state_;
  std::vector<failure> reasons_;
};

/// The text of the frame summary for a count of new frames.
text frame_summary(std::int32_t new_frame_count, std::int32_t stock_count);

}  // namespace vantor
