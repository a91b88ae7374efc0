#pragma once
// Why a command failed, told to the player in one short Chinese sentence:
// the box the window shows just before 升级失败！ or 复原失败！.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/outcome.h"

namespace vantor {

/// What the sentence may name beside the failures themselves.
struct reason_context {
  std::string_view game_folder;    ///< paths inside it are named relative to it
  std::uint64_t space_needed = 0;  ///< about how many bytes the command writes
  bool bundle_box_shown = false;   ///< 动画文件被修改过，非原版 already told the player
};

/// The sentence for the last of the reasons (those of its kind before it
/// named with it, as the missing files of the update package); empty when
/// the player has been told already or there is nothing to tell.
std::string player_reason(std::span<const failure> reasons, const reason_context& context);

}  // namespace vantor
