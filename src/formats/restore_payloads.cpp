#include "formats/restore_payloads.h"

extern const unsigned char vantor_pose_payload[];
extern const std::size_t vantor_pose_payload_size;
extern const unsigned char vantor_action_payload[];
extern const std::size_t vantor_action_payload_size;

namespace vantor {

static_assert(sizeof(unsigned char) == sizeof(std::uint8_t));

byte_view pose_restore_payload() {
  return byte_view(reinterpret_cast<const std::uint8_t*>(vantor_pose_payload), vantor_pose_payload_size);
}

byte_view action_restore_payload() {
  return byte_view(reinterpret_cast<const std::uint8_t*>(vantor_action_payload), vantor_action_payload_size);
}

}  // namespace vantor
