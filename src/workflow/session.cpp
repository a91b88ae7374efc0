#include "workflow/session.h"

#include "formats/game_layout.h"
#include "platform/platform.h"
#include "services/bytes.h"
#include "services/digest.h"
#include "services/files.h"
#include "services/texts.h"
#include "workflow/messages.h"

namespace vantor {

patch_session::patch_session(workflow_ports ports, stock_identity identity)
    : ports_(ports), identity_(identity) {}

text frame_summary(std::int32_t new_frame_count, std::int32_t stock_count) {
  // The end frame goes through the floating-point rule, the others through
  // the integer one; for whole numbers the two look alike.
  return join_texts({"总帧数=", to_text(new_frame_count), "， 起始帧=", to_text(stock_count), "， 结束帧=",
                     to_text(static_cast<double>(new_frame_count) + static_cast<double>(stock_count))});
}

text homepage_command_line(std::string_view address) {
  return join_texts({platform::browser_command, " ", address});
}

bool patch_session::start_session(std::string_view run_folder) {
  using namespace layout;
  state_.run_folder = text(run_folder);
  state_.common_folder = path_in(run_folder, {common_folder});
  state_.update_folder = path_in(run_folder, {update_folder}) + platform::path_separator;
  state_.backup_path = path_in(state_.common_folder, {backup_name});
  state_.bundle_path = path_in(state_.common_folder, {bundle_name});

  if (!file_exists(path_in(run_folder, {game_executable}))) {
    ports_.messages.show_message(messages::not_in_game_folder);
    ports_.program.end_program(0);
    return false;
  }

  const text& updates = state_.update_folder;
  state_.pose_update = read_whole_file(updates + std::string(update_pose));
  state_.action_update = read_whole_file(updates + std::string(update_action));

  // new.amb.out: the new frame block, then the count of new frames in its
  // last four bytes.
  byte_string frames = read_whole_file(updates + std::string(update_frames));
  const auto length = static_cast<double>(byte_length(frames));
  state_.new_frame_count =
      to_integer_value(read_value_at(frames, value_kind::int32, to_integer(length - 3.0)));
  state_.frame_package_read = length >= 4.0;
  // Cut in place to the frame block (as left_bytes would), without a copy.
  const std::int32_t block_length = to_integer(length - 4.0);
  frames.resize(block_length > 0 ? static_cast<std::size_t>(block_length) : 0);
  state_.new_frames = std::move(frames);

  ports_.window.set_picture(units::cover_picture, read_whole_file(updates + std::string(update_cover)));
  ports_.window.set_content(units::description_box,
                            decode_description(to_text(read_whole_file(updates + std::string(update_description)))));
  ports_.window.set_content(units::summary_box, frame_summary(state_.new_frame_count, identity_.stock_count));
  return true;
}

void patch_session::open_homepage(std::int32_t, std::int32_t, std::int32_t) {
  const text address = ports_.window.get_caption(units::homepage_link);
  ports_.launcher.run_command_line(homepage_command_line(address), false, 2);
}

void patch_session::release_session() { state_ = workflow_state{}; }

bundle_check patch_session::check_bundle(std::string_view path) const {
  if (!file_exists(path)) return bundle_check::missing;
  const text digest = file_start_digest(path, identity_.prefix_length);
  return compare_texts(digest, identity_.digest) == 0 ? bundle_check::stock : bundle_check::modified;
}

}  // namespace vantor
