// What a failed command tells the player beside its closing message.

#include "formats/game_layout.h"
#include "formats/restore_payloads.h"
#include "platform/system_error.h"
#include "services/files.h"
#include "workflow/messages.h"
#include "workflow/player_reasons.h"
#include "workflow/session.h"

namespace vantor {
namespace {

std::uint64_t size_of(std::string_view path) {
  auto in = file_reader::open(path);
  if (!in) return 0;
  const auto size = in->size();
  return size && *size > 0 ? static_cast<std::uint64_t>(*size) : 0;
}

}  // namespace

std::uint64_t patch_session::space_needed(bool upgrade) const {
  const auto prefix = static_cast<std::uint64_t>(identity_.prefix_length);
  if (!upgrade) return 2 * prefix + pose_restore_payload().size() + action_restore_payload().size();
  std::uint64_t bytes = prefix + static_cast<std::uint64_t>(state_.new_frames.frame_bytes()) +
                        state_.pose_update.size() + state_.action_update.size();
  if (!file_exists(state_.backup_path)) bytes += prefix;
  // Unpacked, a model package takes at least what it takes packed.
  if (!file_exists(state_.model_folder)) bytes += size_of(state_.model_package);
  return bytes;
}

bool patch_session::explain_failure(bool upgrade) {
  const bool refused_for_rights = !reasons_.empty() && reasons_.back().kind == os_error::no_permission;
  if (!refused_for_rights || ports_.program == nullptr || !ports_.program->can_run_as_administrator()) {
    tell_why(upgrade);
    return true;
  }
  // Nothing was changed; the elevated program starts over from the window.
  if (ports_.messages.ask_yes_no(messages::run_as_administrator) && ports_.program->run_as_administrator()) {
    ports_.program->end_program(0);
    return false;
  }
  return true;  // 否, or the player said no to the system's prompt: the usual failure box
}

void patch_session::tell_why(bool upgrade) {
  const reason_context context{state_.run_folder, space_needed(upgrade), bundle_box_shown_};
  const std::string sentence = player_reason(reasons_, context);
  if (!sentence.empty()) ports_.messages.show_reason(sentence);
}

}  // namespace vantor
