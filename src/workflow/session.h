#pragma once
// One run of the patcher: the paths and the update package it works with,
// and the commands the window's events and the command line call.

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "formats/animation_bundle.h"
#include "formats/stock_identity.h"
#include "platform/outcome.h"
#include "services/progress.h"
#include "services/run_lock.h"
#include "services/staged_file.h"
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
  text model_folder;
  text model_package;
  byte_string pose_update;
  byte_string action_update;
  frame_package new_frames;  ///< new.amb.out as shown: its length and count; the frames stay on disk
  /// Why a package file could not be read at start (held by another
  /// program, refused, not a regular file); a missing one has none. Such a
  /// file shows as empty, and an upgrade names this reason, not a missing
  /// or damaged file.
  std::optional<failure> pose_unread;
  std::optional<failure> action_unread;
  std::optional<failure> frames_unread;
};

class overlapping_work;
struct prepared_bundle;

class patch_session final : public session_commands {
 public:
  explicit patch_session(session_ports ports, stock_identity identity = game_stock_identity);

  /// Start: resolves the paths from the run folder, refuses to run outside
  /// the game folder and shows the update package. False when it refused
  /// (and asked for the end of the program).
  bool start_session(std::string_view run_folder) override;
  /// Opens the author's homepage that the view shows.
  void open_homepage() override;
  /// "开始升级": the upgrade and its closing message; true on success.
  bool on_upgrade_clicked() override;
  /// "复原": the restore and its closing message; true on success.
  bool on_restore_clicked() override;
  /// At exit: drops everything the session holds.
  void release_session() override;

  /// The upgrade without its closing message; true when the new bundle and
  /// the two update files are all in place.
  bool run_upgrade();
  /// The restore without its closing message.
  bool run_restore();

  /// Why the last command failed, one entry per failed step, in order.
  const std::vector<failure>& reasons() const { return reasons_; }

  /// Why the loaded update package would be refused; empty when it is whole.
  std::vector<failure> package_problems() const;

  /// How long a command waits for another run on the same game folder.
  void set_lock_wait(std::chrono::milliseconds wait) { lock_wait_ = wait; }

  const workflow_state& state() const { return state_; }
  const stock_identity& identity() const { return identity_; }

 private:
  void note(failure why) { reasons_.push_back(std::move(why)); }
  /// What tells the progress port of one stage; empty without one.
  progress_callback progress_of(work_stage stage) const;
  /// After a failed command, what the player is told before its closing
  /// message: the offer to run as administrator when a write was refused
  /// for want of rights and the program can ask for them, else the box that
  /// says why. False when the program ends instead (started again elevated).
  bool explain_failure(bool upgrade);
  void tell_why(bool upgrade);
  /// About how many bytes a command writes, for a full disk's box.
  std::uint64_t space_needed(bool upgrade) const;
  /// Takes the game folder's lock and clears what an interrupted run left.
  std::optional<run_lock> begin_command();
  /// The upgrade's checks before anything is written: the update package is
  /// whole and unchanged, and the pose file has somewhere to go.
  bool check_upgrade_inputs();
  /// The new bundle from the first source that proves stock, with the
  /// player's messages for the sources refused on the way.
  std::optional<prepared_bundle> prove_source_bundle(overlapping_work& meanwhile);

  session_ports ports_;
  stock_identity identity_;
  workflow_state state_;
  std::vector<failure> reasons_;
  bool bundle_box_shown_ = false;  ///< this command showed 动画文件被修改过，非原版
  std::chrono::milliseconds lock_wait_ = run_lock_wait;
};

/// The text of the frame summary for a count of new frames.
text frame_summary(std::int32_t new_frame_count, std::int32_t stock_count);

}  // namespace vantor
