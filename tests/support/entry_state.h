#pragma once
// What stands at a path, compared whole: its kind, and a file's bytes and
// permissions or a link's text, read through the platform layer so the
// same comparison holds on every system.

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/files.h"
#include "services/bytes.h"
#include "support/temp_folder.h"

namespace vantor::testing {

struct entry_state {
  platform::entry_kind kind = platform::entry_kind::none;
  byte_string bytes;       ///< a file's contents
  std::uint32_t bits = 0;  ///< a file's permissions
  std::string link_text;   ///< where a link points
  bool operator==(const entry_state&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const entry_state& e) {
    out << "kind " << static_cast<int>(e.kind);
    if (e.kind == platform::entry_kind::file) out << ", " << e.bytes.size() << " bytes, permissions " << e.bits;
    if (e.kind == platform::entry_kind::link) out << ", link to " << e.link_text;
    return out;
  }
};

inline entry_state entry_at(const std::string& path) {
  entry_state seen;
  seen.kind = platform::kind_of(path);
  if (seen.kind == platform::entry_kind::file) {
    seen.bytes = file_bytes(path);
    seen.bits = platform::permissions_of(path).value_or(platform::file_permissions{~0U}).bits;
  } else if (seen.kind == platform::entry_kind::link) {
    seen.link_text = platform::read_link(path).value_or("<unreadable>");
  }
  return seen;
}

}  // namespace vantor::testing
