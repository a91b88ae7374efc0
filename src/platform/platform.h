#pragma once
// The one place where the program touches the operating system: files,
// folders, the program's own location, the desktop and the system's text
// conversions. platform_posix.cpp implements it for Linux; a Win32 file can
// implement the same declarations. Nothing above this layer uses system
// headers. Every operation that can fail says why (services/outcome.h).
//
// Every path given here is resolved without regard to ASCII letter case when
// it does not exist exactly (see resolve_path), because game folders copied
// from Windows or installed under Wine differ in case from the names the
// program uses.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outcome.h"
#include "platform/system_error.h"

namespace vantor::platform {

/// The separator between the parts of a path.
extern const char path_separator;

/// Whether a character separates the parts of a path here ("/", and on
/// Windows "\\" too).
bool is_separator(char c);

/// Joins a folder and a relative part with one separator.
std::string join_path(std::string_view folder, std::string_view part);

/// The folder part of a path (everything before its last separator), or
/// empty when there is none.
std::string parent_folder(std::string_view path);

/// What a path names. Symbolic links are reported as links, not followed.
enum class entry_kind { none, file, folder, link, other };

/// Resolves a path whose parts may differ in ASCII letter case from the
/// entries on disk: the longest prefix that exists exactly is kept, and each
/// further part is replaced by the one entry of its folder that matches it
/// without regard to case. A part with no match, or with more than one,
/// ends the resolution and the rest is kept as given, so a new file is
/// created under the name asked for.
std::string resolve_path(std::string_view path);

/// Success when the path names a folder (links followed); otherwise why not.
status check_folder(std::string_view path);

/// The kind of entry at a path (after resolve_path).
entry_kind kind_of(std::string_view path);

/// Names in a folder, without "." and "..". Empty when it cannot be read.
std::vector<std::string> list_folder(std::string_view folder);

/// How open_file opens.
enum class open_mode {
  read,            ///< existing file, read only
  write_existing,  ///< existing file, write only, contents kept
  replace,         ///< create or truncate, write only
  create_new,      ///< create; fails when anything exists at the path
};

/// An open file. Closing it explicitly reports the result; the destructor
/// closes silently.
class file {
 public:
  file() = default;
  file(const file&) = delete;
  file& operator=(const file&) = delete;
  file(file&& other) noexcept;
  file& operator=(file&& other) noexcept;
  ~file();

  const std::string& path() const { return path_; }

  /// Reads up to size bytes; the count read, 0 at the end.
  outcome<std::size_t> read(void* buffer, std::size_t size);
  /// Writes all bytes, retrying short writes of the system.
  status write(const void* data, std::size_t size);
  /// Moves the position to offset bytes from the start.
  status seek(std::int64_t offset);
  /// The size of the file.
  outcome<std::int64_t> size();
  /// Makes the written data durable (fsync).
  status flush();
  /// Closes the file; a failure here may have lost written data.
  status close();

 private:
  friend outcome<file> open_file(std::string_view path, open_mode mode);
  friend outcome<file> create_file_exactly(std::string_view path);
  failure fail(failure_kind kind) const { return failure{kind, path_}; }
  file(std::intptr_t handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  std::intptr_t handle_ = -1;  ///< the system's descriptor or handle; -1 when closed
  std::string path_;
};

/// Opens a regular file. Writing modes never follow a symbolic link at the
/// path (they fail instead) and create files with the usual permissions.
/// Anything but a regular file (a folder, a pipe, a device, a link to one)
/// is refused as not_a_file, without waiting for it.
///
/// Windows can deny other openers with share modes; POSIX has no mandatory
/// locks, so other programs may still read or write while a file is open.
outcome<file> open_file(std::string_view path, open_mode mode);

/// Renames from over to (replacing it) in the same file system.
status rename_over(std::string_view from, std::string_view to);
/// Removes a file (not a folder).
status remove_file(std::string_view path);
/// Copies a regular file's bytes to a new file; fails when anything is at
/// the target already.
status copy_file(std::string_view from, std::string_view to);
/// Removes whatever is at the path (a file, link, pipe, or a folder with
/// everything in it) without following links.
status remove_entry(std::string_view path);
/// Creates one folder; its parent must exist.
status create_folder(std::string_view path);
/// Makes the entries of a folder (creations, renames, removals) durable. A
/// folder that cannot be opened for it, or a file system that does not flush
/// folders, counts as done; a flush that is tried and fails does not.
status flush_folder(std::string_view path);

/// A lock on a folder, held while the object lives; the system lets it go
/// when the process ends, however it ends.
class folder_lock {
 public:
  folder_lock(folder_lock&& other) noexcept;
  folder_lock& operator=(folder_lock&& other) noexcept;
  folder_lock(const folder_lock&) = delete;
  ~folder_lock();

 private:
  friend outcome<folder_lock> lock_folder(std::string_view path, std::chrono::milliseconds wait);
  explicit folder_lock(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = -1;
};

/// Takes the folder's lock, waiting at most `wait` while another process
/// holds it (then the failure is busy).
outcome<folder_lock> lock_folder(std::string_view path, std::chrono::milliseconds wait);
// Building a new folder tree. The caller made every folder of the tree
// itself and knows their entries, so these take paths exactly as given:
// no letter-case lookup, which lists a folder for every name that does not
// exist yet.

/// Creates a new file at exactly this path and opens it for writing. Fails
/// when anything exists at the path; never follows a symbolic link.
outcome<file> create_file_exactly(std::string_view path);
/// Creates one folder at exactly this path; its parent must exist.
status create_folder_exactly(std::string_view path);
/// Removes an empty folder (a symbolic link is refused, never followed).
status remove_folder(std::string_view path);
/// Makes every file and folder below a folder durable: their contents and
/// their entries, but not the folder's own entry in its parent (flush_folder
/// of the parent does that). On Linux one syncfs of the file system that
/// holds the folder, which costs far less than flushing every file; a Win32
/// version flushes each file below.
status flush_tree(std::string_view folder);
/// The bytes the program may still write on the file system that holds the
/// path.
outcome<std::uint64_t> free_space(std::string_view path);

/// Gives the owner write permission, or takes every write permission away.
status set_writable(std::string_view path, bool writable);
/// Sets the last-access and last-write times, in seconds and nanoseconds
/// since 1970-01-01 UTC.
struct file_time {
  std::int64_t seconds = 0;
  std::int32_t nanoseconds = 0;
};
status set_file_times(std::string_view path, file_time access, file_time modification);

/// The folder of the running program, without a trailing separator.
std::string executable_folder();
/// The path made absolute against the current directory (not otherwise
/// normalised).
std::string absolute_path(std::string_view path);
/// Makes a folder the current directory.
status set_current_folder(std::string_view path);

/// The program's command-line arguments as UTF-8, the program name first.
/// On Windows they are taken from the wide command line, so Chinese paths
/// arrive whole whatever the system's code page; argv is used elsewhere.
std::vector<std::string> command_line_arguments(int argc, char** argv);

/// Writes UTF-8 text to a standard stream: to a Windows console as wide
/// text, so Chinese reads right on every code page; anywhere else as the
/// UTF-8 bytes themselves, without line-end translation. False when the
/// text could not be written.
bool write_text(std::FILE* stream, std::string_view text);

/// Opens an address (a web page) with the desktop's own opener, without
/// waiting for it: xdg-open on Linux.
status open_address(std::string_view address);

/// Decodes GB18030 (the superset of GBK that Chinese Windows writes) to
/// UTF-8. A byte that starts no valid sequence becomes U+FFFD.
std::string decode_gb18030(std::string_view bytes);

/// Puts the floating-point unit in its default state: round to nearest,
/// no exception traps, whatever the process inherited.
void reset_floating_point();

// ---------------------------------------------------------------------------
// Fault switch, for tests only: the program never sets a hook. Each file
// operation (and each opening of an address) asks the hook first; a failure
// makes that operation fail as if the system had refused it.

enum class operation {
  open,
  read,
  write,
  flush,
  close,
  rename,
  remove,
  copy,
  create_folder,
  open_address,
  flush_tree,
  free_space
};

/// What the hook asks of one operation.
struct fault {
  std::optional<failure_kind> error;  ///< none lets the operation run
  bool partial = false;               ///< for a write: write half the bytes, then fail
};

class fault_hook {
 public:
  virtual ~fault_hook() = default;
  /// Called before each operation with its path, and the target path of a
  /// rename or copy.
  virtual fault before(operation op, std::string_view path, std::string_view other_path) = 0;
  /// Told of each folder listing (list_folder, and the letter-case lookup's
  /// own), which cannot be made to fail; lets tests count them.
  virtual void folder_listed(std::string_view /*folder*/) {}
};

/// Installs a hook (nullptr removes it).
void set_fault_hook(fault_hook* hook);

}  // namespace vantor::platform
