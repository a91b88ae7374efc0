#include "workflow/session.h"

#include "formats/animation_bundle.h"
#include "formats/game_layout.h"
#include "services/file_error.h"
#include "services/files.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "services/texts.h"
#include "workflow/leftovers.h"
#include "workflow/messages.h"
#include "workflow/refusal.h"

namespace vantor {

namespace {
constexpr std::int64_t largest_cover = std::int64_t{64} << 20;

// Why a package file could not be read, when it is there: a missing file is
// told as missing, with the others the package lacks.
std::optional<failure> unread_reason(const failure& why) {
  if (why.kind == os_error::not_found) return std::nullopt;
  return why;
}

// The bytes of a package file, or none and why.
byte_string read_package_file(const text& path, std::optional<failure>& unread) {
  auto read = read_whole_file(path);
  if (read) return std::move(*read);
  unread = unread_reason(read.error());
  return {};
}
}  // namespace

patch_session::patch_session(session_ports ports, stock_identity identity) : ports_(ports), identity_(identity) {}

text frame_summary(std::int32_t new_frame_count, std::int32_t stock_count) {
  // The end frame goes through the floating-point rule, the others through
  // the integer one; for whole numbers the two look alike.
  return join_texts({"总帧数=", to_text(new_frame_count), "， 起始帧=", to_text(stock_count),
                     "， 结束帧=", to_text(static_cast<double>(new_frame_count) + static_cast<double>(stock_count))});
}

bool patch_session::start_session(std::string_view run_folder) {
  using namespace layout;
  state_.run_folder = text(run_folder);
  state_.common_folder = path_in(run_folder, {common_folder});
  state_.update_folder = folder_path(path_in(run_folder, {update_folder}));
  state_.backup_path = path_in(state_.common_folder, {backup_name});
  state_.bundle_path = path_in(state_.common_folder, {bundle_name});
  state_.model_folder = path_in(run_folder, {model_folder});
  state_.model_package = path_in(run_folder, {model_package});

  if (!file_exists(path_in(run_folder, {game_executable}))) {
    ports_.messages.show_message(messages::not_in_game_folder);
    if (ports_.program != nullptr) ports_.program->end_program(0);
    return false;
  }

  // Missing or unreadable package files are not reported here: they show
  // as empty, and the upgrade refuses an incomplete package.
  const text& updates = state_.update_folder;
  state_.pose_update = read_package_file(updates + std::string(update_pose), state_.pose_unread);
  state_.action_update = read_package_file(updates + std::string(update_action), state_.action_unread);
  // Only the count is read now: the frames are copied by the upgrade.
  if (auto frames = file_reader::open(updates + std::string(update_frames)))
    state_.new_frames = read_frame_package(*frames);
  else
    state_.frames_unread = unread_reason(frames.error());

  if (ports_.view != nullptr) {
    patcher_view& view = *ports_.view;
    // A cover larger than any picture of the window's size is not read: the
    // picture box stays blank, as for a picture it cannot show.
    view.show_cover(read_whole_file(updates + std::string(update_cover), largest_cover).value_or({}));
    const byte_string description = read_whole_file(updates + std::string(update_description)).value_or({});
    view.show_description(
        decode_description(std::string_view(reinterpret_cast<const char*>(description.data()), description.size())));
    view.show_frame_summary(frame_summary(state_.new_frames.count, identity_.stock_count));
  }
  return true;
}

progress_callback patch_session::progress_of(work_stage stage) const {
  if (ports_.progress == nullptr) return {};
  progress_port* port = ports_.progress;
  return [port, stage](std::uint64_t done, std::uint64_t total) { port->show_progress(stage, done, total); };
}

void patch_session::open_homepage() {
  if (ports_.view == nullptr) return;
  // Nothing is reported: the browser either opens or it does not.
  (void)open_address(ports_.view->homepage_address());
}

std::vector<failure> patch_session::package_problems() const {
  using namespace layout;
  const text& updates = state_.update_folder;
  std::vector<failure> problems;
  // An incomplete update package would install empty files over the game's,
  // and a count that does not fit its frames a bundle whose header lies. A
  // file that is there but could not be read says why instead.
  const auto missing = [&](std::string_view name, const std::optional<failure>& unread) {
    problems.push_back(unread ? *unread : failure{refusal::missing_or_empty, updates + text(name)});
  };
  if (state_.pose_update.empty()) missing(update_pose, state_.pose_unread);
  if (state_.action_update.empty()) missing(update_action, state_.action_unread);
  if (state_.new_frames.length == 0)
    missing(update_frames, state_.frames_unread);
  else if (!state_.new_frames.has_count)
    problems.push_back({file_error::too_short, updates + text(update_frames)});
  else if (!frame_count_fits(identity_, state_.new_frames.count, state_.new_frames.frame_bytes()))
    problems.push_back({refusal::bad_frame_count, updates + text(update_frames)});
  return problems;
}

std::optional<run_lock> patch_session::begin_command() {
  reasons_.clear();
  bundle_box_shown_ = false;
  auto lock = run_lock::take(state_.run_folder, lock_wait_);
  if (!lock) {
    note(lock.error());
    return std::nullopt;
  }
  if (status cleared = clear_leftovers(state_); !cleared) {
    note(cleared.error());
    return std::nullopt;
  }
  return std::move(*lock);
}

void patch_session::release_session() {
  state_ = workflow_state{};
  reasons_.clear();
}

}  // namespace vantor
