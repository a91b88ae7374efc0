#pragma once
// The walk that makes a tree durable file by file, where no one call flushes
// a whole file system (and for the tree flusher's leftovers); inside the
// platform layer only.

#include <functional>
#include <string>

#include "platform/outcome.h"

namespace vantor::platform {

/// Flushes each regular file below a folder with flush_file, and each
/// folder's entries after its contents, depth first. Links are not
/// followed; entries gone meanwhile are passed over. Stops at the first
/// failure.
status flush_files_below(const std::string& folder, const std::function<status(const std::string&)>& flush_file);

}  // namespace vantor::platform
