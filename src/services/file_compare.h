#pragma once
// Whether two files hold the same bytes, read side by side in pieces, so
// files of any size are compared in little memory.

#include <cstdint>
#include <string_view>

#include "platform/outcome.h"

namespace vantor {

/// True when the two files have the same length and bytes; stops at the
/// first difference. Fails when either cannot be read.
outcome<bool> same_file_bytes(std::string_view a, std::string_view b);

}  // namespace vantor
