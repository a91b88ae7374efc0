#pragma once
// Whole-file services over the platform layer. They never throw and never
// show anything: every failure comes back with its reason, and the caller
// decides what to report.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/outcome.h"
#include "services/bytes.h"
#include "services/values.h"

namespace vantor {

/// The file's bytes (empty for an empty file). Fails when the path is
/// empty, names nothing or a folder, cannot be read, or is 2^31 bytes or
/// longer.
outcome<byte_string> read_whole_file(std::string_view path);
/// The same for a file that may be no larger than `largest` bytes: a larger
/// one is too_large and is not read at all.
outcome<byte_string> read_whole_file(std::string_view path, std::int64_t largest);

/// A regular file open for reading, piece by piece.
class file_reader {
 public:
  static outcome<file_reader> open(std::string_view path);
  file_reader(file_reader&&) noexcept;
  file_reader& operator=(file_reader&&) noexcept;
  ~file_reader();

  const std::string& path() const;
  outcome<std::int64_t> size();
  status seek(std::int64_t offset);
  /// Up to buffer.size() bytes; 0 at the end.
  outcome<std::size_t> read(std::span<std::uint8_t> buffer);
  /// Exactly buffer.size() bytes, or too_short when the file ends first.
  status read_exactly(std::span<std::uint8_t> buffer);

 private:
  struct open_input;
  explicit file_reader(std::unique_ptr<open_input> in);
  std::unique_ptr<open_input> in_;
};

/// How much the program reads or writes at a time when it streams a file.
constexpr std::size_t file_piece_size = std::size_t{1} << 20;

/// A buffer for streaming at most most_bytes: a piece, or less when fewer
/// bytes are wanted (a small file needs no full-size buffer).
inline byte_string piece_buffer(std::int64_t most_bytes) {
  return byte_string(
      static_cast<std::size_t>(std::clamp<std::int64_t>(most_bytes, 1, static_cast<std::int64_t>(file_piece_size))));
}

/// Reads at most max_bytes from the reader's position, one piece of up to
/// buffer.size() bytes at a time, and hands each piece to take, which may
/// change it and returns false to stop. Ends early at the end of the file.
/// Gives how many bytes were handed over.
template <typename piece_handler>
outcome<std::int64_t> read_in_pieces(file_reader& in, std::int64_t max_bytes, std::span<std::uint8_t> buffer,
                                     piece_handler take) {
  std::int64_t handed = 0;
  while (handed < max_bytes) {
    const auto want =
        static_cast<std::size_t>(std::min<std::int64_t>(max_bytes - handed, static_cast<std::int64_t>(buffer.size())));
    const auto got = in.read(buffer.first(want));
    if (!got) return got.error();
    if (*got == 0) break;
    handed += static_cast<std::int64_t>(*got);
    if (!take(buffer.first(*got))) break;
  }
  return handed;
}

/// The MD5 text digest of at most max_bytes from the start of a file, read
/// in pieces.
outcome<text> file_start_digest(std::string_view path, std::int64_t max_bytes);

/// True when a file or folder is at the path. A trailing separator or an
/// empty path gives false.
bool file_exists(std::string_view path);

/// True when a regular file is at the path.
bool is_regular_file(std::string_view path);

/// What is at a path, as far as the program cares; a link is not followed.
enum class entry_type { none, file, folder, link, other };
entry_type entry_type_of(std::string_view path);
/// The same for a path taken exactly as given, letter case and all: one
/// resolve_path gave, which another lookup would only give again.
entry_type exact_entry_type_of(std::string_view path);

/// Success when the path names a folder; otherwise why it cannot be used.
status check_folder(std::string_view path);

/// Whether files can be made in a folder, found out without leaving
/// anything there (platform::check_writable).
status check_writable(std::string_view folder);

/// Removes a file; a folder is never removed.
status remove_file(std::string_view path);

/// Renames over the target in one step, in the same folder.
status rename_over(std::string_view from, std::string_view to);

/// The path as the game folder has it, letter case aside
/// (platform::resolve_path).
text resolve_path(std::string_view path);

/// Opens an address (the homepage) with the desktop's own opener.
status open_address(std::string_view address);

/// Fixes the run folder (the program's own folder) and makes it the current
/// directory. Called once at start.
void fix_run_folder();
/// Sets the run folder explicitly (the command-line patcher's --game).
void fix_run_folder(std::string_view folder);
/// A path with every separator the system's own (a model package's entry
/// names come with /, joined to a Windows path with \).
std::string with_system_separators(std::string_view path);

/// The run folder, without a trailing separator.
text get_run_folder();

}  // namespace vantor
