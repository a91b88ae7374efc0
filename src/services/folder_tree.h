#pragma once
// The files and folders below a folder, in an order that does not depend on
// the file system: what is packed, and what a packed tree is compared with.

#include <string>
#include <vector>

#include "platform/outcome.h"

namespace vantor {

struct tree_entry {
  std::string name;  ///< relative to the folder, parts joined by "/"
  bool folder = false;
};

/// Every file and folder below the folder, depth first, the names of each
/// folder sorted byte by byte, a folder before what it holds. Anything but
/// a regular file or a folder (a link, a pipe, a device) fails as not a
/// regular file, since no archive entry could stand for it.
outcome<std::vector<tree_entry>> list_tree(std::string_view folder);

}  // namespace vantor
