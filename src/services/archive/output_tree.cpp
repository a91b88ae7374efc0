#include "services/archive/output_tree.h"
#include "platform/system_error.h"

#include <utility>

namespace vantor {

namespace {

std::string folded(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

}  // namespace

output_tree::output_tree(std::string root, bool created) {
  nodes_.push_back(node{std::move(root), kind::folder, created, {}});
}

std::size_t output_tree::add(std::size_t folder, std::string_view name, node child) {
  nodes_.push_back(std::move(child));
  const std::size_t id = nodes_.size() - 1;
  nodes_[folder].children.emplace(folded(name), id);
  return id;
}

std::size_t output_tree::find(std::size_t folder, std::string_view name) {
  const auto known = nodes_[folder].children.find(folded(name));
  if (known != nodes_[folder].children.end()) return known->second;
  if (nodes_[folder].created) return none;  // a folder made here holds only what is known

  // A folder that was there before: look on disk, once for each name.
  const std::string resolved = platform::resolve_path(platform::join_path(nodes_[folder].path, name));
  kind what = kind::in_the_way;
  switch (platform::kind_of(resolved)) {
    case platform::entry_kind::none:
      return none;
    case platform::entry_kind::folder:
      what = kind::folder;
      break;
    case platform::entry_kind::file:
      what = kind::file;
      break;
    case platform::entry_kind::link:  // never written through
    case platform::entry_kind::other:
      break;
  }
  return add(folder, name, node{resolved, what, false, {}});
}

outcome<std::size_t> output_tree::folder_in(std::size_t folder, std::string_view name) {
  const std::size_t found = find(folder, name);
  if (found != none) {
    if (nodes_[found].what != kind::folder) return failure{os_error::exists, nodes_[found].path};
    return found;
  }
  std::string path = platform::join_path(nodes_[folder].path, name);
  if (status created = platform::create_folder(path, platform::path_lookup::exact); !created) return created.error();
  return add(folder, name, node{std::move(path), kind::folder, true, {}});
}

outcome<std::size_t> output_tree::walk(std::span<const std::string_view> parts) {
  std::size_t folder = 0;
  for (const std::string_view part : parts) {
    auto next = folder_in(folder, part);
    if (!next) return next.error();
    folder = *next;
  }
  return folder;
}

status output_tree::make_folder(std::span<const std::string_view> parts) {
  if (auto made = walk(parts); !made) return made.error();
  return {};
}

outcome<platform::file> output_tree::open_file(std::span<const std::string_view> parts) {
  if (parts.empty()) return failure{os_error::name_refused, nodes_[0].path};
  const auto walked = walk(parts.first(parts.size() - 1));
  if (!walked) return walked.error();
  const std::size_t folder = *walked;
  const std::string_view name = parts.back();
  const std::size_t found = find(folder, name);
  if (found == none) {
    std::string path = platform::join_path(nodes_[folder].path, name);
    auto created = platform::open_file(path, platform::open_mode::create_new, platform::path_lookup::exact);
    if (created) add(folder, name, node{std::move(path), kind::file, true, {}});
    return created;
  }
  const node& standing = nodes_[found];
  if (standing.what != kind::file) return failure{os_error::exists, standing.path};
  // A read-only file already there is replaced too.
  if (!standing.created) (void)platform::set_writable(standing.path, true);
  return platform::open_file(standing.path, platform::open_mode::replace);
}

}  // namespace vantor
