#pragma once
// The archive's own kinds of failure, beside the system's (a name the
// system refuses, a file in the way, a full disk).

#include <cstdint>

#include "platform/outcome.h"
#include "platform/system_error.h"

namespace vantor {

enum class archive_error : std::uint8_t {
  damaged,         ///< records or data are broken (a checksum or size that does not match)
  no_such_entry,   ///< the index lies outside the entries the directory declares, or there is no directory
  bad_time_stamp,  ///< an entry's extended time stamp names no calendar date
  unsafe_name,     ///< an entry's name could land outside the target, or Windows cannot hold it as it is
  name_not_gbk,    ///< a name to be stored has no GBK form that reads back as the same name
};

const failure_category& category_of(archive_error);

}  // namespace vantor
