#include "services/archive/output_tree.h"

#include <utility>

#include "platform/system_error.h"

namespace vantor {

namespace {

std::string folded(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

// The last part of a path, as the folder holds it.
std::string last_part(const std::string& path) {
  const std::string parent = platform::parent_folder(path);
  std::string name = parent.empty() ? path : path.substr(parent.size());
  while (!name.empty() && platform::is_separator(name.front())) name.erase(0, 1);
  return name;
}

}  // namespace

outcome<output_tree> output_tree::open(platform::held_folder root, bool created) {
  std::string path = root.path();
  output_tree tree(node{std::move(path), {}, none, kind::folder, created, {}, std::move(root)});
  tree.held_count_ = 1;
  return tree;
}

std::size_t output_tree::add(std::size_t folder, std::string_view name, node child) {
  nodes_.push_back(std::move(child));
  const std::size_t id = nodes_.size() - 1;
  nodes_[folder].children.emplace(folded(name), id);
  return id;
}

outcome<const platform::held_folder*> output_tree::held(std::size_t folder) {
  if (nodes_[folder].held) return &*nodes_[folder].held;
  const auto parent = held(nodes_[folder].parent);
  if (!parent) return parent.error();
  auto opened = (*parent)->open_folder(nodes_[folder].name);
  if (!opened) return opened.error();
  nodes_[folder].held = std::move(*opened);
  ++held_count_;
  return &*nodes_[folder].held;
}

void output_tree::hold_fewer() {
  if (held_count_ <= platform::held_folders_to_keep()) return;
  for (std::size_t id = 1; id < nodes_.size(); ++id) nodes_[id].held.reset();
  held_count_ = 1;
}

status output_tree::check_in_place() {
  for (std::size_t id = 1; id < nodes_.size(); ++id) {
    const node& made = nodes_[id];
    if (!made.created) continue;
    const auto parent = held(made.parent);
    if (!parent) return parent.error();
    const platform::entry_kind standing = (*parent)->kind_of(nodes_[id].name);
    if (nodes_[id].what == kind::folder && standing != platform::entry_kind::folder)
      return failure{os_error::not_a_folder, nodes_[id].path};
    if (nodes_[id].what == kind::file && standing != platform::entry_kind::file)
      return failure{os_error::not_a_file, nodes_[id].path};
  }
  return {};
}

void output_tree::release() {
  for (node& each : nodes_) each.held.reset();
  held_count_ = 0;
}

std::size_t output_tree::find(std::size_t folder, std::string_view name) {
  const auto known = nodes_[folder].children.find(folded(name));
  if (known != nodes_[folder].children.end()) return known->second;
  if (nodes_[folder].created) return none;  // a folder made here holds only what is known

  // A folder that was there before: look on disk, once for each name (the
  // name as the folder has it, letter case aside).
  const std::string resolved = platform::resolve_path(platform::join_path(nodes_[folder].path, name));
  const auto parent = held(folder);
  if (!parent) return none;
  const std::string on_disk = last_part(resolved);
  kind what = kind::in_the_way;
  switch ((*parent)->kind_of(on_disk)) {
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
  return add(folder, name, node{resolved, on_disk, folder, what, false, {}, std::nullopt});
}

outcome<std::size_t> output_tree::folder_in(std::size_t folder, std::string_view name) {
  const std::size_t found = find(folder, name);
  if (found != none) {
    if (nodes_[found].what != kind::folder) return failure{os_error::exists, nodes_[found].path};
    return found;
  }
  const auto parent = held(folder);
  if (!parent) return parent.error();
  if (status created = (*parent)->create_folder(name); !created) return created.error();
  return add(folder, name,
             node{platform::join_path(nodes_[folder].path, name),
                  std::string(name),
                  folder,
                  kind::folder,
                  true,
                  {},
                  std::nullopt});
}

outcome<std::size_t> output_tree::walk(std::span<const std::string_view> parts) {
  hold_fewer();
  std::size_t folder = 0;
  for (const std::string_view part : parts) {
    auto next = folder_in(folder, part);
    if (!next) return next.error();
    folder = *next;
  }
  return folder;
}

status output_tree::make_folder(std::span<const std::string_view> parts) {
  auto made = walk(parts);
  if (!made) return made.error();
  // Entered once, so a folder swapped for a link is refused now too.
  if (auto entered = held(*made); !entered) return entered.error();
  return {};
}

outcome<platform::file> output_tree::open_file(std::span<const std::string_view> parts) {
  if (parts.empty()) return failure{os_error::name_refused, nodes_[0].path};
  const auto walked = walk(parts.first(parts.size() - 1));
  if (!walked) return walked.error();
  const std::size_t folder = *walked;
  const std::string_view name = parts.back();
  const std::size_t found = find(folder, name);
  // After find, which may add a node (and move the others).
  const auto parent = held(folder);
  if (!parent) return parent.error();
  if (found == none) {
    auto created = (*parent)->create_file(name);
    if (created)
      add(folder, name, node{created->path(), std::string(name), folder, kind::file, true, {}, std::nullopt});
    return created;
  }
  const node& standing = nodes_[found];
  if (standing.what != kind::file) return failure{os_error::exists, standing.path};
  // A read-only file already there is replaced too.
  if (!standing.created) (void)platform::set_writable(standing.path, true);
  return (*parent)->rewrite_file(standing.name);
}

}  // namespace vantor
