#pragma once
// The file services' own kinds of failure, beside the system's: a file whose
// size does not suit what is asked of it.

#include <cstdint>

#include "platform/outcome.h"
#include "platform/system_error.h"

namespace vantor {

enum class file_error : std::uint8_t {
  too_short,  ///< the file ends before the bytes asked for
  too_large,  ///< the file is larger than the program handles in one piece
};

const failure_category& category_of(file_error);

}  // namespace vantor
