#pragma once
// Why the workflow refuses a command, beside what the system and the
// services report: the update package or a bundle is not what it must be.

#include <cstdint>

#include "platform/outcome.h"
#include "platform/system_error.h"
#include "services/file_error.h"

namespace vantor {

enum class refusal : std::uint8_t {
  missing_or_empty,   ///< a file the command needs is missing or holds nothing
  modified,           ///< a bundle is not the stock one
  bad_frame_count,    ///< the frame package's count does not fit its frames
  changed,            ///< a file changed since the program read it
  read_back_differs,  ///< a file just written does not read back as written
  not_put_back,       ///< a failed command could not put a file back as it was (its old file is kept aside)
};

const failure_category& category_of(refusal);

}  // namespace vantor
