#pragma once
// What makes a file the same file across renames: its inode on POSIX, its
// volume and file index on Windows. 0 when nothing is at the path.

#include <cstdint>
#include <string>

namespace vantor::testing {

std::uint64_t identity_of(const std::string& path);

}  // namespace vantor::testing
