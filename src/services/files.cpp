#include "services/files.h"

#include <algorithm>
#include <limits>

#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/process.h"
#include "services/digest.h"
#include "services/file_error.h"

namespace vantor {

namespace {

constexpr std::int64_t largest_whole_file = std::numeric_limits<std::int32_t>::max();

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
    if (*got == 0) return failure{file_error::too_short, path()};
    filled += *got;
  }
  return {};
}

outcome<byte_string> read_whole_file(std::string_view path) { return read_whole_file(path, largest_whole_file); }

outcome<byte_string> read_whole_file(std::string_view path, std::int64_t largest) {
  auto in = file_reader::open(path);
  if (!in) return in.error();
  const auto size = in->size();
  if (!size) return size.error();
  if (*size > std::min(largest, largest_whole_file)) return failure{file_error::too_large, in->path()};
  byte_string bytes(static_cast<std::size_t>(std::max<std::int64_t>(*size, 0)));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const auto got = in->read(std::span(bytes).subspan(filled));
    if (!got) return got.error();
    if (*got == 0) break;  // the file shrank meanwhile: keep what was delivered
    filled += *got;
  }
  bytes.resize(filled);
  return bytes;
}

outcome<text> file_start_digest(std::string_view path, std::int64_t max_bytes) {
  auto in = file_reader::open(path);
  if (!in) return in.error();
  md5 hasher;
  byte_string buffer = piece_buffer(max_bytes);
  const auto read = read_in_pieces(*in, max_bytes, buffer, [&](std::span<std::uint8_t> piece) {
    hasher.update(piece);
    return true;
  });
  if (!read) return read.error();
  return hex_text(hasher.finish());
}

bool file_exists(std::string_view path) {
  if (path.empty() || platform::is_separator(path.back())) return false;
  return platform::kind_of(path) != platform::entry_kind::none;
}

bool is_regular_file(std::string_view path) { return platform::kind_of(path) == platform::entry_kind::file; }

namespace {

entry_type type_of(platform::entry_kind kind) {
  switch (kind) {
    case platform::entry_kind::none:
      return entry_type::none;
    case platform::entry_kind::file:
      return entry_type::file;
    case platform::entry_kind::folder:
      return entry_type::folder;
    case platform::entry_kind::link:
      return entry_type::link;
    default:
      return entry_type::other;
  }
}

}  // namespace

entry_type entry_type_of(std::string_view path) { return type_of(platform::kind_of(path)); }

entry_type exact_entry_type_of(std::string_view path) {
  return type_of(platform::kind_of(path, platform::path_lookup::exact));
}

status check_folder(std::string_view path) { return platform::check_folder(path); }

status check_writable(std::string_view folder) { return platform::check_writable(folder); }

std::string with_system_separators(std::string_view path) {
  std::string written(path);
  for (char& c : written)
    if (platform::is_separator(c)) c = platform::path_separator;
  return written;
}

status remove_file(std::string_view path) { return platform::remove_file(path); }

status rename_over(std::string_view from, std::string_view to) { return platform::rename_over(from, to); }

text resolve_path(std::string_view path) { return platform::resolve_path(path); }

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
