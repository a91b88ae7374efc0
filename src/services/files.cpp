#include "services/files.h"

#include <algorithm>
#include <limits>

#include "platform/platform.h"
#include "services/digest.h"

namespace vantor {

namespace {

constexpr std::int64_t largest_whole_file = std::numeric_limits<std::int32_t>::max();

outcome<byte_string> read_up_to(std::string_view path, std::int64_t max_bytes, bool refuse_large) {
  auto in = platform::open_file(path, platform::open_mode::read);
  if (!in) return in.error();
  const auto size = in->size();
  if (!size) return size.error();
  if (refuse_large && *size > largest_whole_file) return failure{failure_kind::too_large, in->path()};
  const auto wanted =
      static_cast<std::size_t>(std::clamp<std::int64_t>(*size, 0, std::max<std::int64_t>(max_bytes, 0)));
  byte_string bytes(wanted);
  std::size_t filled = 0;
  while (filled < wanted) {
    const auto got = in->read(bytes.data() + filled, wanted - filled);
    if (!got) return got.error();
    if (*got == 0) break;  // the file shrank meanwhile: keep what was delivered
    filled += *got;
  }
  bytes.resize(filled);
  return bytes;
}

// Hands at most max_bytes from the start of a file to `take`, one piece of up
// to 1 MB at a time, so a large file is never held whole. Stops early when
// `take` returns false.
template <typename piece_handler>
status read_in_pieces(std::string_view path, std::int64_t max_bytes, piece_handler take) {
  auto in = platform::open_file(path, platform::open_mode::read);
  if (!in) return in.error();
  byte_string buffer(std::size_t{1} << 20);
  for (std::int64_t left = max_bytes; left > 0;) {
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
    const auto got = in->read(buffer.data(), want);
    if (!got) return got.error();
    if (*got == 0) break;
    if (!take(byte_view(buffer.data(), *got))) break;
    left -= static_cast<std::int64_t>(*got);
  }
  return {};
}

}  // namespace

struct file_reader::open_input {
  platform::file file;
};

outcome<file_reader> file_reader::open(std::string_view path) {
  auto in = platform::open_file(path, platform::open_mode::read);
  if (!in) return in.error();
  return file_reader(std::make_unique<open_input>(open_input{std::move(*in)}));
}

file_reader::file_reader(std::unique_ptr<open_input> in) : in_(std::move(in)) {}
file_reader::file_reader(file_reader&&) noexcept = default;
file_reader& file_reader::operator=(file_reader&&) noexcept = default;
file_reader::~file_reader() = default;

const std::string& file_reader::path() const { return in_->file.path(); }
outcome<std::int64_t> file_reader::size() { return in_->file.size(); }
status file_reader::seek(std::int64_t offset) { return in_->file.seek(offset); }
outcome<std::size_t> file_reader::read(std::span<std::uint8_t> buffer) {
  return in_->file.read(buffer.data(), buffer.size());
}

status file_reader::read_exactly(std::span<std::uint8_t> buffer) {
  for (std::size_t filled = 0; filled < buffer.size();) {
    const auto got = read(buffer.subspan(filled));
    if (!got) return got.error();
    if (*got == 0) return failure{failure_kind::too_short, path()};
    filled += *got;
  }
  return {};
}

outcome<byte_string> read_whole_file(std::string_view path) { return read_up_to(path, largest_whole_file, true); }

outcome<byte_string> read_file_start(std::string_view path, std::int64_t max_bytes) {
  return read_up_to(path, max_bytes, false);
}

outcome<text> file_start_digest(std::string_view path, std::int64_t max_bytes) {
  md5 hasher;
  const status read = read_in_pieces(path, max_bytes, [&](byte_view piece) {
    hasher.update(piece);
    return true;
  });
  if (!read) return read.error();
  return hex_text(hasher.finish());
}

outcome<bool> file_holds(std::string_view path, byte_view expected) {
  std::size_t checked = 0;
  bool same = true;
  // One byte past the expected length shows a file that is too long.
  const auto limit = static_cast<std::int64_t>(expected.size()) + 1;
  const status read = read_in_pieces(path, limit, [&](byte_view piece) {
    same = piece.size() <= expected.size() - checked &&
           std::equal(piece.begin(), piece.end(), expected.begin() + static_cast<std::ptrdiff_t>(checked));
    checked += piece.size();
    return same;
  });
  if (!read) return read.error();
  return same && checked == expected.size();
}

bool file_exists(std::string_view path) {
  if (path.empty() || platform::is_separator(path.back())) return false;
  return platform::kind_of(path) != platform::entry_kind::none;
}

bool is_regular_file(std::string_view path) { return platform::kind_of(path) == platform::entry_kind::file; }

entry_type entry_type_of(std::string_view path) {
  switch (platform::kind_of(path)) {
    case platform::entry_kind::none:
      return entry_type::none;
    case platform::entry_kind::file:
      return entry_type::file;
    case platform::entry_kind::folder:
      return entry_type::folder;
    default:
      return entry_type::other;
  }
}

status check_folder(std::string_view path) { return platform::check_folder(path); }

status remove_file(std::string_view path) {
  if (platform::kind_of(path) == platform::entry_kind::folder)
    return failure{failure_kind::not_a_file, platform::resolve_path(path)};
  return platform::remove_file(path);
}

status open_address(std::string_view address) { return platform::open_address(address); }

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
  while (fixed.size() > 1 && platform::is_separator(fixed.back())) fixed.pop_back();
  run_folder_storage() = fixed;
  if (!fixed.empty()) (void)platform::set_current_folder(fixed);
}

text get_run_folder() { return run_folder_storage(); }

}  // namespace vantor
