#pragma once
// One run of the patcher: the paths and the update package it works with,
// and the handlers the window's events call.

#include <cstdint>

#include "formats/stock_identity.h"
#include "services/archive.h"
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
  byte_string new_frames;          ///< the new frame block of new.amb.out
  std::int32_t new_frame_count = 0;
  bool frame_package_read = false; ///< new.amb.out was read and holds a count
};

/// Where a bundle stands against the stock identity.
enum class bundle_check { missing, stock, modified };

class patch_session {
 public:
  explicit patch_session(workflow_ports ports, stock_identity identity = game_stock_identity);

  /// The window-created handler: resolves the paths from the run folder,
  /// refuses to run outside the game folder and loads the update package
  /// into the window. False when it asked for the end of the program.
  bool start_session(std::string_view run_folder);
  /// The link label's handler: opens the homepage in the browser.
  void open_homepage(std::int32_t x, std::int32_t y, std::int32_t key_state);
  /// The "开始升级" button's handler; true when it reported success.
  bool on_upgrade_clicked();
  /// The "复原" button's handler; true when it reported success.
  bool on_restore_clicked();
  /// The exit routine: drops everything the session holds.
  void release_session();

  /// The upgrade without its closing message; true when the new bundle and
  /// the two update files are all in place.
  bool run_upgrade();
  /// The restore without its closing message.
  bool run_restore();
  /// Makes sure the model folder exists, extracting the model package when
  /// it does not.
  bool ensure_model_folder();

  /// Checks the first prefix-length bytes of a bundle file against the stock
  /// digest.
  bundle_check check_bundle(std::string_view path) const;

  const workflow_state& state() const { return state_; }
  const stock_identity& identity() const { return identity_; }
  archive_component& archive() { return archive_; }

 private:
  workflow_ports ports_;
  stock_identity identity_;
  workflow_state state_;
  archive_component archive_;
};

/// The text of the frame summary box for a count of new frames.
text frame_summary(std::int32_t new_frame_count, std::int32_t stock_count);

/// The command line that opens an address in the desktop's browser.
text homepage_command_line(std::string_view address);

}  // namespace vantor
