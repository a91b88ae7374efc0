#pragma once
// Builds small ZIP archives for tests with minizip's writer.

#include <string>
#include <vector>

#include "services/values.h"

namespace vantor::testing {

struct zip_item {
  std::string name;             ///< a trailing "/" makes a folder entry
  byte_string data;
  bool deflate = true;
  std::uint32_t external_attributes = 0;  ///< 0: a plain file or folder by its name
};

/// Writes the archive; throws when minizip refuses.
void write_zip(const std::string& path, const std::vector<zip_item>& items);

}  // namespace vantor::testing
