#include "services/files.h"

#include <fnmatch.h>

#include <algorithm>
#include <limits>
#include <map>

#include "platform/platform.h"
#include "services/digest.h"

namespace vantor {

namespace {

constexpr std::int64_t largest_whole_file = std::numeric_limits<std::int32_t>::max();

byte_string read_up_to(std::string_view path, std::int64_t max_bytes, bool refuse_large) {
  if (path.empty() || max_bytes <= 0) return {};
  platform::file in = platform::open_file(path, platform::open_mode::read);
  if (!in.is_open()) return {};
  const std::int64_t size = in.size();
  if (size <= 0) return {};
  if (refuse_large && size > largest_whole_file) return {};
  const auto wanted = static_cast<std::size_t>(std::min(size, max_bytes));
  byte_string bytes(wanted);
  std::size_t filled = 0;
  while (filled < wanted) {
    const std::int64_t got = in.read(bytes.data() + filled, wanted - filled);
    if (got < 0) return {};
    if (got == 0) break;  // the file shrank meanwhile: keep what was delivered
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace

byte_string read_whole_file(std::string_view path) {
  return read_up_to(path, largest_whole_file, true);
}

byte_string read_file_start(std::string_view path, std::int64_t max_bytes) {
  return read_up_to(path, max_bytes, false);
}

namespace {

// Hands at most max_bytes from the start of a file to `take`, one piece of up
// to 1 MB at a time, so a large file is never held whole. False when the file
// cannot be read or `take` returns false.
template <typename piece_handler>
bool read_in_pieces(std::string_view path, std::int64_t max_bytes, piece_handler take) {
  if (path.empty()) return false;
  platform::file in = platform::open_file(path, platform::open_mode::read);
  if (!in.is_open()) return false;
  byte_string buffer(std::size_t{1} << 20);
  for (std::int64_t left = max_bytes; left > 0;) {
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
    const std::int64_t got = in.read(buffer.data(), want);
    if (got < 0) return false;
    if (got == 0) break;
    if (!take(byte_view(buffer.data(), static_cast<std::size_t>(got)))) return false;
    left -= got;
  }
  return true;
}

}  // namespace

text file_start_digest(std::string_view path, std::int64_t max_bytes) {
  md5 hasher;
  const bool read = read_in_pieces(path, max_bytes, [&](byte_view piece) {
    hasher.update(piece);
    return true;
  });
  return read ? hex_text(hasher.finish()) : text();
}

bool file_holds(std::string_view path, byte_view expected) {
  std::size_t checked = 0;
  // One byte past the expected length shows a file that is too long.
  const auto limit = static_cast<std::int64_t>(expected.size()) + 1;
  const bool read = read_in_pieces(path, limit, [&](byte_view piece) {
    if (piece.size() > expected.size() - checked ||
        !std::equal(piece.begin(), piece.end(), expected.begin() + static_cast<std::ptrdiff_t>(checked)))
      return false;
    checked += piece.size();
    return true;
  });
  return read && checked == expected.size();
}

bool write_whole_file(std::string_view path, std::initializer_list<byte_view> pieces) {
  if (path.empty()) return false;
  // Truncating in place is what this service promises; callers that must
  // not tear a file use staged_file instead.
  platform::file out = platform::open_file(path, platform::open_mode::replace);
  if (!out.is_open()) return false;
  for (const auto& piece : pieces)
    if (!piece.empty() && !out.write(piece.data(), piece.size())) return false;
  return out.close();
}

bool file_exists(std::string_view path) {
  if (path.empty() || path.back() == platform::path_separator) return false;
  const auto name = platform::file_name(path);
  if (name.find_first_of("*?") == std::string_view::npos) return platform::kind_of(path) != platform::entry_kind::none;

  // A pattern in the last part: any entry of the folder may match it, in
  // any letter case, as on the file systems the game comes from.
  std::string folder = platform::parent_folder(path);
  const std::string pattern(name);
  for (const auto& entry : platform::list_folder(folder.empty() ? "." : platform::resolve_path(folder)))
    if (::fnmatch(pattern.c_str(), entry.c_str(), FNM_CASEFOLD | FNM_NOESCAPE) == 0) return true;
  return false;
}

bool remove_file(std::string_view path) {
  return platform::kind_of(path) == platform::entry_kind::file && platform::remove_file(path);
}

bool copy_file_to(std::string_view source, std::string_view target) {
  return platform::copy_file(source, target);
}

// --- numbered open files ------------------------------------------------------

namespace {

struct open_file_registry {
  std::map<file_number, platform::file> files;
  file_number next = 1;
};

open_file_registry& registry() {
  static open_file_registry instance;
  return instance;
}

platform::file* find_open(file_number number) {
  auto& files = registry().files;
  const auto found = files.find(number);
  return found == files.end() ? nullptr : &found->second;
}

}  // namespace

file_number open_file(std::string_view path, int mode) {
  if (path.empty() || mode != 2) return 0;
  // Windows lets others go on reading and writing with this open; POSIX
  // never locks a file against them, so the effect is the same.
  platform::file opened = platform::open_file(path, platform::open_mode::write_existing);
  if (!opened.is_open()) return 0;
  auto& reg = registry();
  if (reg.next <= 0) reg.next = 1;
  const file_number number = reg.next++;
  reg.files.emplace(number, std::move(opened));
  return number;
}

bool set_file_position(file_number file, int origin, std::int32_t distance) {
  platform::file* open = find_open(file);
  if (open == nullptr || origin != 1 || distance < 0) return false;
  return open->seek(distance);
}

bool write_values(file_number file, std::int32_t value) {
  platform::file* open = find_open(file);
  if (open == nullptr) return false;
  std::uint8_t bytes[4];
  store_le32(bytes, value);
  const std::int64_t before = open->position();
  if (open->write(bytes, sizeof bytes)) return true;
  if (before >= 0) open->seek(before);
  return false;
}

void close_file(file_number file) {
  auto& files = registry().files;
  const auto found = files.find(file);
  if (found == files.end()) return;
  found->second.close();  // a failed close is ignored
  files.erase(found);
}

// --- run folder ---------------------------------------------------------------

namespace {
text& run_folder_storage() {
  static text folder;
  return folder;
}
}  // namespace

void fix_run_folder() { fix_run_folder(platform::executable_folder()); }

void fix_run_folder(std::string_view folder) {
  text fixed = platform::absolute_path(folder);
  while (fixed.size() > 1 && fixed.back() == platform::path_separator) fixed.pop_back();
  run_folder_storage() = fixed;
  if (!fixed.empty()) platform::set_current_folder(fixed);
}

text get_run_folder() { return run_folder_storage(); }

}  // namespace vantor
