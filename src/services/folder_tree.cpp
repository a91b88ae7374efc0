#include "services/folder_tree.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/system_error.h"

namespace vantor {

namespace {

status walk(const std::string& folder, const std::string& prefix, std::vector<tree_entry>& out) {
  std::vector<std::string> names = platform::list_folder(folder);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string path = platform::join_path(folder, name);
    std::string relative = prefix;
    if (!relative.empty()) relative += '/';
    relative += name;
    switch (platform::kind_of(path)) {
      case platform::entry_kind::file:
        out.push_back({relative, false});
        break;
      case platform::entry_kind::folder:
        out.push_back({relative, true});
        if (status inside = walk(path, relative, out); !inside) return inside;
        break;
      case platform::entry_kind::none:
        return failure{os_error::not_found, path};
      default:
        return failure{os_error::not_a_file, path};
    }
  }
  return {};
}

}  // namespace

outcome<std::vector<tree_entry>> list_tree(std::string_view folder) {
  if (status usable = platform::check_folder(folder); !usable) return usable.error();
  std::vector<tree_entry> entries;
  if (status walked = walk(std::string(folder), {}, entries); !walked) return walked.error();
  return entries;
}

}  // namespace vantor
