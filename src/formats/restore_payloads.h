#pragma once
// The two files the restore command writes back, built into the program.

#include <cstddef>

#include "services/bytes.h"

namespace vantor {

inline constexpr std::size_t pose_payload_length = 292574;
inline constexpr std::size_t action_payload_length = 7303;

/// The game's original pmodel/P0.POS.
byte_view pose_restore_payload();
/// The game's original Common/character.act.
byte_view action_restore_payload();

}  // namespace vantor
