#pragma once
// Whole-file and positioned file services. They never throw and never show
// anything: every failure becomes a neutral result (empty, false, 0) and the
// caller decides what to report.

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "services/bytes.h"
#include "services/values.h"

namespace vantor {

/// The file's bytes; empty when the path is empty, names no file or a
/// folder, cannot be read, is empty or is 2^31 bytes or longer.
byte_string read_whole_file(std::string_view path);

/// At most max_bytes from the start of a file (the whole file when it is
/// shorter); empty when it cannot be read.
byte_string read_file_start(std::string_view path, std::int64_t max_bytes);

/// The MD5 text digest of at most max_bytes from the start of a file, read
/// in small pieces; empty when the file cannot be read.
text file_start_digest(std::string_view path, std::int64_t max_bytes);

/// True when the file holds exactly the expected bytes; read in small pieces.
bool file_holds(std::string_view path, byte_view expected);

/// Creates or truncates the file and writes the pieces. False when the path
/// is empty, its folder is missing (no folder is created) or the file cannot
/// be opened, and then nothing changed; false also when a write fails part
/// way, and then the file keeps what was written. No pieces, or only empty
/// ones, leave a zero-length file.
bool write_whole_file(std::string_view path, std::initializer_list<byte_view> pieces);
inline bool write_whole_file(std::string_view path, const byte_string& bytes) {
  return write_whole_file(path, {byte_view(bytes)});
}

/// True when a file or folder matches the path. A trailing separator or an
/// empty path gives false; "*" and "?" in the last part match any entries.
bool file_exists(std::string_view path);

/// Removes a file; false for a missing file or a folder.
bool remove_file(std::string_view path);

/// Copies source over target, replacing an existing target.
bool copy_file_to(std::string_view source, std::string_view target);

// Positioned writes through numbered open files. A number that is not open
// (0 included) makes every operation fail without touching any file.

using file_number = std::int32_t;

/// Opens an existing file for writing, keeping its contents (mode 2 is the
/// only mode there is). 0 when the path is empty or the file cannot be
/// opened.
file_number open_file(std::string_view path, int mode = 2);
/// Moves to distance bytes from the start (origin 1).
bool set_file_position(file_number file, int origin, std::int32_t distance);
/// Writes one 32-bit integer, least significant byte first. On failure the
/// position goes back to where it was.
bool write_values(file_number file, std::int32_t value);
/// Closes the file; does nothing for a number that is not open.
void close_file(file_number file);

/// Fixes the run folder (the program's own folder) and makes it the current
/// directory. Called once at start.
void fix_run_folder();
/// Sets the run folder explicitly (the command-line patcher's --game).
void fix_run_folder(std::string_view folder);
/// The run folder, without a trailing separator.
text get_run_folder();

}  // namespace vantor
