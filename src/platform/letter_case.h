#pragma once
// The letter-case lookup's second half, for the front door's own calls that
// have already looked at a path as given.

#include <string>
#include <string_view>

namespace vantor::platform {

/// resolve_path for a path that is not there exactly as given (the caller
/// looked): the same answer, without looking at the whole path once more.
std::string resolve_missing_path(std::string_view path);

}  // namespace vantor::platform
