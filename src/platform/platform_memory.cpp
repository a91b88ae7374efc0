// Files and folders in this process's memory: the native primitives of
// platform/native.h for the fuzzing harnesses' build (VANTOR_FILES_IN_MEMORY),
// answering as the POSIX ones do, with the same failure kinds in the same
// situations. The front door and everything above it run unchanged, and an
// execution costs no disk write. One lock guards the whole tree, because the
// layer's own flush threads may call in at the same time.

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/errno_posix.h"
#include "platform/files.h"
#include "platform/memory_files.h"
#include "platform/native.h"

namespace vantor::platform {

namespace {

struct node;
using node_ptr = std::shared_ptr<node>;

// Names in byte order, compared here by hand: the library's comparisons are
// compiled (and instrumented) elsewhere, and a walk makes many of them.
struct name_order {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i)
      if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
    return a.size() < b.size();
  }
};

struct node {
  entry_kind kind = entry_kind::file;
  std::string bytes;                                    ///< a file's contents, a link's text
  std::map<std::string, node_ptr, name_order> entries;  ///< a folder's, by name
  std::uint32_t mode = 0644;
  bool locked = false;
};

node_ptr make_node(entry_kind kind) {
  auto made = std::make_shared<node>();
  made->kind = kind;
  if (kind == entry_kind::folder) made->mode = 0755;
  if (kind == entry_kind::link) made->mode = 0777;
  return made;
}

struct open_entry {
  node_ptr target;
  std::int64_t position = 0;
  bool reads = false;
  bool writes = false;
  bool lock = false;
};

struct memory_tree {
  std::mutex mutex;
  node_ptr root = make_node(entry_kind::folder);
  std::map<native::handle, open_entry> open;
  native::handle next_handle = 3;
};

memory_tree& tree() {
  static memory_tree the_tree;
  return the_tree;
}

// As Linux limits them.
constexpr int most_links_followed = 40;
constexpr std::size_t longest_name = 255;
constexpr std::size_t longest_path = 4095;
constexpr std::uint64_t free_bytes = std::uint64_t{1} << 40;

// A failure as POSIX reports it: the kind follows from the errno code, as
// in platform_posix.cpp.
failure fail(int code, const std::string& path) { return failure{posix::kind_from_errno(code), path, code}; }
failure not_found(const std::string& path) { return fail(ENOENT, path); }
// Also for readlink's EINVAL (not a link), as platform_posix.cpp says it.
failure not_a_file(const std::string& path, int code = EISDIR) { return failure{os_error::not_a_file, path, code}; }

// The parts of a path one at a time, without empty parts and ".".
class path_parts {
 public:
  explicit path_parts(std::string_view path) : at_(path.data()), end_(path.data() + path.size()) { skip_empty(); }
  bool done() const { return at_ == end_; }
  std::string_view next() {
    const char* part_end = at_;
    while (part_end != end_ && *part_end != '/') ++part_end;
    const std::string_view part(at_, static_cast<std::size_t>(part_end - at_));
    at_ = part_end;
    skip_empty();
    return part;
  }
  std::string_view rest() const { return {at_, static_cast<std::size_t>(end_ - at_)}; }

 private:
  // Skips separators and "." parts.
  void skip_empty() {
    while (at_ != end_ && (*at_ == '/' || (*at_ == '.' && (at_ + 1 == end_ || at_[1] == '/')))) ++at_;
  }
  const char* at_;
  const char* end_;
};

// Where a path leads: the folder that holds its last part, that part's
// name, and the entry there (null when nothing is). The root, and a path
// ending in "..", have no holding folder.
struct place {
  node* folder = nullptr;
  node_ptr entry;
  std::string_view name_in_path;  ///< the last part, in the path asked for
  std::string name_after_link;    ///< the last part, when a link led elsewhere

  // The last part's name: most walks follow no link, and their name costs
  // no copy.
  std::string_view name() const { return name_in_path.data() ? name_in_path : name_after_link; }
};

// Walks a path from the root, following the links in every part but the
// last, and in the last too when follow_last.
outcome<place> locate(const std::string& path, bool follow_last) {
  if (path.size() > longest_path) return fail(ENAMETOOLONG, path);
  std::string followed;  // the path to walk instead, after a link
  std::string_view walked = path;
  // Kept from call to call: a walk allocates nothing for them.
  thread_local std::vector<const node_ptr*> folders;  // the folders walked, from the root
  thread_local std::vector<std::string_view> names;   // the path to folders.back(), for a relative link
  for (int hops = 0; hops <= most_links_followed; ++hops) {
    folders.assign(1, &tree().root);
    names.clear();
    path_parts parts(walked);
    std::string next;
    while (!parts.done() && next.empty()) {
      const std::string_view part = parts.next();
      const bool last = parts.done();
      if (part.size() == 2 && part[0] == '.' && part[1] == '.') {
        if (folders.size() > 1) {
          folders.pop_back();
          names.pop_back();
        }
        if (last) return place{nullptr, *folders.back(), {}, {}};
        continue;
      }
      if (part.size() > longest_name) return fail(ENAMETOOLONG, path);
      node* const folder = folders.back()->get();
      const auto found = folder->entries.find(part);
      const node_ptr* entry = found == folder->entries.end() ? nullptr : &found->second;
      const bool follow = entry && (*entry)->kind == entry_kind::link && (!last || follow_last);
      if (last && !follow) {
        place at{folder, entry ? *entry : nullptr, {}, {}};
        if (walked.data() == path.data())
          at.name_in_path = part;
        else
          at.name_after_link = part;
        return at;
      }
      if (!entry) return not_found(path);
      if (follow) {
        // Go on from where the link points, with the rest of the path.
        const std::string& text = (*entry)->bytes;
        if (text.empty() || text[0] != '/') {
          for (const auto name : names) (next += '/') += name;
          next += '/';
        }
        next += text;
        if (!parts.done()) (next += '/') += parts.rest();
        continue;
      }
      if ((*entry)->kind != entry_kind::folder) return fail(ENOTDIR, path);
      folders.push_back(entry);
      names.push_back(part);
    }
    if (next.empty()) return place{nullptr, *folders.back(), {}, {}};
    followed = std::move(next);
    walked = followed;
  }
  return not_a_file(path, ELOOP);
}

// Where a path leads, when something is there; not_found otherwise.
outcome<place> find_entry(const std::string& path, bool follow_last) {
  auto at = locate(path, follow_last);
  if (at && !at->entry) return not_found(path);
  return at;
}

// Takes the entry at a place out of its folder.
void erase_entry(const place& at) {
  const auto found = at.folder->entries.find(at.name());
  if (found != at.folder->entries.end()) at.folder->entries.erase(found);
}

// A new entry's place must have a holding folder and a name the system takes.
status check_new(const place& at, const std::string& path) {
  if (at.entry || !at.folder) return fail(EEXIST, path);
  return {};
}

// Whether a folder is the given one or lies anywhere below it.
bool lies_in(const node* folder, const node_ptr& ancestor) {
  if (folder == ancestor.get()) return true;
  for (const auto& [name, entry] : ancestor->entries)
    if (entry->kind == entry_kind::folder && lies_in(folder, entry)) return true;
  return false;
}

native::handle open_handle(open_entry entry) {
  const native::handle handle = tree().next_handle++;
  tree().open.emplace(handle, std::move(entry));
  return handle;
}

open_entry* find_open(native::handle handle) {
  const auto found = tree().open.find(handle);
  return found == tree().open.end() ? nullptr : &found->second;
}

failure bad_handle(const std::string& path) { return fail(EBADF, path); }

void close_handle(native::handle handle) {
  const auto found = tree().open.find(handle);
  if (found == tree().open.end()) return;
  if (found->second.lock) found->second.target->locked = false;
  tree().open.erase(found);
}

using guard = std::lock_guard<std::mutex>;

}  // namespace

const bool native::names_keep_letter_case = true;
const bool native::paths_have_drives = false;

namespace memory_files {

void clear() {
  const guard held(tree().mutex);
  tree().root = make_node(entry_kind::folder);
}

std::size_t open_handles() {
  const guard held(tree().mutex);
  return tree().open.size();
}

}  // namespace memory_files

// --- open files ---------------------------------------------------------------

outcome<native::handle> native::open(const std::string& path, open_mode mode) {
  const guard held(tree().mutex);
  const auto at = locate(path, mode == open_mode::read);
  if (!at) return at.error();
  node_ptr entry = at->entry;
  if (mode == open_mode::create_new) {
    if (status fresh = check_new(*at, path); !fresh) return fresh.error();
  } else if (!entry && (mode == open_mode::read || mode == open_mode::write_existing)) {
    return not_found(path);
  } else if (entry && entry->kind == entry_kind::link) {
    return not_a_file(path, ELOOP);  // writing modes never follow a link
  } else if (entry ? entry->kind != entry_kind::file : !at->folder) {
    return not_a_file(path);  // a folder, or the root
  }
  if (!entry) {
    entry = make_node(entry_kind::file);
    at->folder->entries.emplace(at->name(), entry);
  } else if (mode == open_mode::replace) {
    entry->bytes.clear();
  }
  return open_handle(open_entry{entry, 0, mode == open_mode::read, mode != open_mode::read, false});
}

outcome<std::size_t> native::read(handle file, void* buffer, std::size_t size, const std::string& path) {
  const guard held(tree().mutex);
  open_entry* opened = find_open(file);
  if (!opened || !opened->reads) return bad_handle(path);
  const std::string& bytes = opened->target->bytes;
  const auto position = static_cast<std::size_t>(opened->position);
  if (position >= bytes.size()) return std::size_t{0};
  const std::size_t count = std::min(size, bytes.size() - position);
  std::memcpy(buffer, bytes.data() + position, count);
  opened->position += static_cast<std::int64_t>(count);
  return count;
}

status native::write(handle file, const void* data, std::size_t size, const std::string& path) {
  const guard held(tree().mutex);
  open_entry* opened = find_open(file);
  if (!opened || !opened->writes) return bad_handle(path);
  std::string& bytes = opened->target->bytes;
  const auto position = static_cast<std::size_t>(opened->position);
  if (bytes.size() < position + size) bytes.resize(position + size);
  if (size > 0) std::memcpy(bytes.data() + position, data, size);
  opened->position += static_cast<std::int64_t>(size);
  return {};
}

status native::seek(handle file, std::int64_t offset, const std::string& path) {
  const guard held(tree().mutex);
  open_entry* opened = find_open(file);
  if (!opened) return bad_handle(path);
  if (offset < 0) return fail(EINVAL, path);
  opened->position = offset;
  return {};
}

outcome<std::int64_t> native::size(handle file, const std::string& path) {
  const guard held(tree().mutex);
  const open_entry* opened = find_open(file);
  if (!opened) return bad_handle(path);
  return static_cast<std::int64_t>(opened->target->bytes.size());
}

status native::flush(handle file, const std::string& path) {
  const guard held(tree().mutex);
  if (!find_open(file)) return bad_handle(path);
  return {};
}

status native::close(handle file, const std::string& path) {
  const guard held(tree().mutex);
  if (!find_open(file)) return bad_handle(path);
  close_handle(file);
  return {};
}

void native::close_quietly(handle file) {
  const guard held(tree().mutex);
  close_handle(file);
}

// --- entries ------------------------------------------------------------------

outcome<entry_kind> native::look_at(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = locate(path, false);
  if (!at) return at.error();
  if (!at->entry) return not_found(path);  // made once, not copied
  return at->entry->kind;
}

status native::check_folder(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, true);
  if (!at) return at.error();
  if (at->entry->kind != entry_kind::folder) return failure{os_error::not_a_folder, path};
  return {};
}

std::vector<std::string> native::list_folder(const std::string& folder) {
  const guard held(tree().mutex);
  std::vector<std::string> names;
  const auto at = locate(folder, true);
  if (!at || !at->entry || at->entry->kind != entry_kind::folder) return names;
  names.reserve(at->entry->entries.size());
  for (const auto& [name, entry] : at->entry->entries) names.push_back(name);
  return names;
}

// Open files never keep a name from being replaced or removed.
status native::check_replaceable(const std::string&) { return {}; }

status native::make_hard_link(const std::string& existing, const std::string& path) {
  const guard held(tree().mutex);
  const auto source = find_entry(existing, false);
  if (!source) return source.error();
  if (source->entry->kind == entry_kind::folder) return fail(EPERM, path);
  const auto at = locate(path, false);
  if (!at) return at.error();
  if (status fresh = check_new(*at, path); !fresh) return fresh;
  at->folder->entries.emplace(at->name(), source->entry);  // the very node, under a second name
  return {};
}

// --- held folders ---------------------------------------------------------------

namespace {

// The held folder behind a handle, or null.
node* held_node(native::handle in) {
  open_entry* const entry = find_open(in);
  return entry != nullptr && entry->target->kind == entry_kind::folder ? entry->target.get() : nullptr;
}

outcome<native::handle> hold(const node_ptr& folder, const std::string& path) {
  if (!folder) return not_found(path);
  if (folder->kind == entry_kind::link) return failure{os_error::not_a_folder, path, ELOOP};
  if (folder->kind != entry_kind::folder) return failure{os_error::not_a_folder, path, ENOTDIR};
  return open_handle(open_entry{folder, 0, false, false, false});
}

}  // namespace

outcome<native::handle> native::open_folder(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, false);
  if (!at) return at.error();
  return hold(at->entry, path);
}

outcome<native::handle> native::open_folder_in(handle in, const std::string& name, const std::string& path) {
  const guard held(tree().mutex);
  node* const folder = held_node(in);
  if (folder == nullptr) return bad_handle(path);
  const auto found = folder->entries.find(name);
  return hold(found == folder->entries.end() ? nullptr : found->second, path);
}

status native::create_folder_in(handle in, const std::string& name, const std::string& path) {
  const guard held(tree().mutex);
  node* const folder = held_node(in);
  if (folder == nullptr) return bad_handle(path);
  if (name.size() > longest_name) return fail(ENAMETOOLONG, path);
  if (!folder->entries.emplace(name, make_node(entry_kind::folder)).second) return fail(EEXIST, path);
  return {};
}

outcome<native::handle> native::create_file_in(handle in, const std::string& name, const std::string& path) {
  const guard held(tree().mutex);
  node* const folder = held_node(in);
  if (folder == nullptr) return bad_handle(path);
  if (name.size() > longest_name) return fail(ENAMETOOLONG, path);
  const node_ptr made = make_node(entry_kind::file);
  if (!folder->entries.emplace(name, made).second) return fail(EEXIST, path);
  return open_handle(open_entry{made, 0, false, true, false});
}

outcome<native::handle> native::rewrite_file_in(handle in, const std::string& name, const std::string& path) {
  const guard held(tree().mutex);
  node* const folder = held_node(in);
  if (folder == nullptr) return bad_handle(path);
  const auto found = folder->entries.find(name);
  if (found == folder->entries.end()) return not_found(path);
  if (found->second->kind != entry_kind::file)
    return not_a_file(path, found->second->kind == entry_kind::link ? ELOOP : EISDIR);
  found->second->bytes.clear();
  return open_handle(open_entry{found->second, 0, false, true, false});
}

const std::size_t native::folders_kept_held = 64;

status native::remove_file_in(handle in, const std::string& name, const std::string& path) {
  const guard held(tree().mutex);
  node* const folder = held_node(in);
  if (folder == nullptr) return bad_handle(path);
  const auto found = folder->entries.find(name);
  if (found == folder->entries.end()) return not_found(path);
  if (found->second->kind == entry_kind::folder) return not_a_file(path);
  folder->entries.erase(found);
  return {};
}

outcome<entry_kind> native::look_at_in(handle in, const std::string& name, const std::string& path) {
  const guard held(tree().mutex);
  node* const folder = held_node(in);
  if (folder == nullptr) return bad_handle(path);
  const auto found = folder->entries.find(name);
  if (found == folder->entries.end()) return not_found(path);
  return found->second->kind;
}

bool native::is_held_folder_at(handle folder, const std::string& path) {
  const guard held(tree().mutex);
  node* const held_folder = held_node(folder);
  const auto at = locate(path, false);
  return held_folder != nullptr && at && at->entry.get() == held_folder;
}

outcome<native::handle> native::duplicate_folder(handle folder, const std::string& path) {
  const guard held(tree().mutex);
  node* const held_folder = held_node(folder);
  if (held_folder == nullptr) return bad_handle(path);
  return open_handle(open_entry{find_open(folder)->target, 0, false, false, false});
}

void native::release_folder(handle folder) {
  const guard held(tree().mutex);
  close_handle(folder);
}

status native::rename_over(const std::string& from, const std::string& to) {
  const guard held(tree().mutex);
  const auto source = find_entry(from, false);
  if (!source) return failure{source.error().kind, to, source.error().native_code};
  const auto target = locate(to, false);
  if (!target) return target.error();
  if (!source->folder || !target->folder) return fail(EBUSY, to);
  if (source->entry == target->entry) return {};
  const bool moves_folder = source->entry->kind == entry_kind::folder;
  if (target->entry) {
    const bool onto_folder = target->entry->kind == entry_kind::folder;
    if (moves_folder && !onto_folder) return fail(ENOTDIR, to);
    if (!moves_folder && onto_folder) return not_a_file(to);
    if (onto_folder && !target->entry->entries.empty()) return fail(ENOTEMPTY, to);
  }
  if (moves_folder && lies_in(target->folder, source->entry)) return fail(EINVAL, to);
  const node_ptr moved = source->entry;
  erase_entry(*source);
  target->folder->entries.insert_or_assign(std::string(target->name()), moved);
  return {};
}

status native::remove_file(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, false);
  if (!at) return at.error();
  if (at->entry->kind == entry_kind::folder || !at->folder) return not_a_file(path);
  erase_entry(*at);
  return {};
}

void native::allow_removal(const std::string&) {}

status native::create_folder(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = locate(path, false);
  if (!at) return at.error();
  if (status fresh = check_new(*at, path); !fresh) return fresh;
  at->folder->entries.emplace(at->name(), make_node(entry_kind::folder));
  return {};
}

status native::remove_folder(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, false);
  if (!at) return at.error();
  if (at->entry->kind != entry_kind::folder) return fail(ENOTDIR, path);
  if (!at->folder) return fail(EBUSY, path);
  if (!at->entry->entries.empty()) return fail(ENOTEMPTY, path);
  erase_entry(*at);
  return {};
}

// Memory is as durable as it gets here: the flushes only check their path.
status native::flush_folder(const std::string&) { return {}; }

status native::flush_file_at(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, true);
  if (!at) return at.error();
  if (at->entry->kind != entry_kind::file) return not_a_file(path);
  return {};
}

std::optional<status> native::flush_file_system(const std::string& folder) {
  const guard held(tree().mutex);
  const auto at = find_entry(folder, false);
  if (!at) return status(at.error());
  if (at->entry->kind == entry_kind::link) return status(not_a_file(folder, ELOOP));
  if (at->entry->kind != entry_kind::folder) return status(fail(ENOTDIR, folder));
  return status();
}

const bool native::flushes_file_system = true;

outcome<std::uint64_t> native::free_space(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, true);
  if (!at) return at.error();
  return free_bytes;
}

// The process may write anywhere, as root may.
status native::check_writable(const std::string& folder) {
  const guard held(tree().mutex);
  const auto at = find_entry(folder, true);
  if (!at) return at.error();
  return {};
}

const std::string_view native::lock_file_name{};

const std::uint32_t native::write_permission_bit = 0200;
const bool native::write_permission_bit_allows = true;

// A lock on the folder itself, as POSIX takes it: a second try, even from
// this process, finds it busy until the first handle is closed.
outcome<native::handle> native::try_lock(const std::string& folder) {
  const guard held(tree().mutex);
  const auto at = find_entry(folder, true);
  if (!at) return at.error();
  if (at->entry->kind != entry_kind::folder) return fail(ENOTDIR, folder);
  if (at->entry->locked) return failure{os_error::busy, {}};
  at->entry->locked = true;
  return open_handle(open_entry{at->entry, 0, false, false, true});
}

status native::set_writable(const std::string& path, bool writable) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, false);
  if (!at) return at.error();
  if (at->entry->kind == entry_kind::link) return not_a_file(path, ELOOP);
  std::uint32_t& mode = at->entry->mode;
  mode = writable ? (mode | 0200U) : (mode & ~0222U);
  return {};
}

outcome<file_permissions> native::permissions_of(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, false);
  if (!at) return at.error();
  if (at->entry->kind != entry_kind::file) return not_a_file(path);
  return file_permissions{at->entry->mode};
}

status native::set_permissions(const std::string& path, file_permissions permissions) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, false);
  if (!at) return at.error();
  if (at->entry->kind != entry_kind::file) return not_a_file(path);
  at->entry->mode = permissions.bits & 07777;
  return {};
}

outcome<std::string> native::read_link(const std::string& path) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, false);
  if (!at) return at.error();
  if (at->entry->kind != entry_kind::link) return not_a_file(path, EINVAL);
  return at->entry->bytes;
}

status native::make_link(const std::string& link_text, const std::string& path) {
  const guard held(tree().mutex);
  if (link_text.empty()) return not_found(path);
  const auto at = locate(path, false);
  if (!at) return at.error();
  if (status fresh = check_new(*at, path); !fresh) return fresh;
  const node_ptr link = make_node(entry_kind::link);
  link->bytes = link_text;
  at->folder->entries.emplace(at->name(), link);
  return {};
}

// The tree keeps no times; the file must be open all the same.
status native::set_times(handle file, file_time, file_time, const std::string& path) {
  const guard held(tree().mutex);
  if (find_open(file) == nullptr) return bad_handle(path);
  return {};
}

// The tree keeps no times; the entry must be there all the same.
status native::set_file_times(const std::string& path, file_time, file_time) {
  const guard held(tree().mutex);
  const auto at = find_entry(path, false);
  if (!at) return at.error();
  return {};
}

}  // namespace vantor::platform
