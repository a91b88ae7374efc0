#pragma once
// Files and folders: the one place where the program touches the file
// system. platform/files.cpp defines every call here once (argument checks,
// the fault hook, letter-case lookup and the portable algorithms) over the
// native primitives of platform_posix.cpp or platform_win32.cpp. Every
// operation that can fail says why (platform/outcome.h).
//
// A path given here is resolved without regard to ASCII letter case when it
// does not exist exactly (see resolve_path), because game folders copied
// from Windows or installed under Wine differ in case from the names the
// program uses. A caller that builds a new tree itself passes
// path_lookup::exact instead.

#include <chrono>
#include <cstddef>
#include <cstdint>
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

/// How a call finds the entry a path names.
enum class path_lookup {
  /// Through resolve_path: the usual choice for paths in the game's folders.
  letter_case,
  /// Exactly as given: for a tree the caller made itself and whose entries
  /// it knows, where the lookup would list a folder for every new name.
  exact,
};

/// Resolves a path whose parts may differ in ASCII letter case from the
/// entries on disk: the longest prefix that exists exactly is kept, and each
/// further part is replaced by the one entry of its folder that matches it
/// without regard to case. A part with no match, or with more than one,
/// ends the resolution and the rest is kept as given, so a new file is
/// created under the name asked for. Windows folders ignore case
/// themselves, so there the path comes back as given.
std::string resolve_path(std::string_view path);

/// Success when the path names a folder (links followed); otherwise why not.
status check_folder(std::string_view path);

/// The kind of entry at a path (after resolve_path, unless lookup is exact).
entry_kind kind_of(std::string_view path, path_lookup lookup = path_lookup::letter_case);

/// Names in a folder, without "." and "..". Empty when it cannot be read.
std::vector<std::string> list_folder(std::string_view folder);

/// A file's time, in seconds and nanoseconds since 1970-01-01 UTC.
struct file_time {
  std::int64_t seconds = 0;
  std::int32_t nanoseconds = 0;
};

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
  /// Sets the last-access and last-write times (see set_file_times).
  status set_times(file_time access, file_time modification);
  /// Closes the file; a failure here may have lost written data.
  status close();

 private:
  friend outcome<file> open_file(std::string_view path, open_mode mode, path_lookup lookup);
  friend class held_folder;
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
outcome<file> open_file(std::string_view path, open_mode mode, path_lookup lookup = path_lookup::letter_case);

/// Renames from over to (replacing it) in the same file system.
status rename_over(std::string_view from, std::string_view to);
/// Removes a file (not a folder).
status remove_file(std::string_view path);
/// Copies a regular file's bytes to a new file; fails when anything is at
/// the target already.
status copy_file(std::string_view from, std::string_view to);
/// Whether the file at the path may be replaced or removed now: in_use while
/// another program holds it open without letting others delete it
/// (Windows); always where open files never stand in the way (POSIX).
status check_replaceable(std::string_view path);

/// Gives a regular file a second name (a hard link) in the same file
/// system, without copying a byte; fails when anything is at new_path,
/// when existing is not a regular file, and where the file system has no
/// hard links.
status link_file(std::string_view existing, std::string_view new_path);
/// Removes whatever is at the path (a file, link, pipe, or a folder with
/// everything in it) without following links. On a failure below a folder
/// the rest is still tried, and the first failure is given.
status remove_entry(std::string_view path);
/// Creates one folder; its parent must exist.
status create_folder(std::string_view path, path_lookup lookup = path_lookup::letter_case);
/// Removes an empty folder (a symbolic link is refused, never followed).
status remove_folder(std::string_view path);
/// Makes the entries of a folder (creations, renames, removals) durable. A
/// folder that cannot be opened for it, or a file system that does not flush
/// folders, counts as done; a flush that is tried and fails does not.
status flush_folder(std::string_view path);
/// Makes every file and folder below a folder durable: their contents and
/// their entries, but not the folder's own entry in its parent (flush_folder
/// of the parent does that). On Linux one syncfs of the file system that
/// holds the folder, which costs far less than flushing every file; where
/// the system has no such call, each file and folder below is flushed.
status flush_tree(std::string_view folder);
/// The bytes the program may still write on the file system that holds the
/// path.
outcome<std::uint64_t> free_space(std::string_view path);
/// Whether the program may create files in a folder, found out without
/// leaving anything there: success, no_permission (rights, or a read-only
/// file system), or why the folder could not be asked. POSIX asks the
/// system (root may write anywhere); Windows, whose rights only an attempt
/// tells, creates a file that is gone when it is closed.
status check_writable(std::string_view folder);

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

/// The name of the file in the folder that holds its lock, where the
/// system locks folders through a file (Windows); empty where the folder
/// itself is locked (POSIX).
std::string_view folder_lock_file_name();

/// Takes the folder's lock, waiting at most `wait` while another process
/// holds it (then the failure is busy). A folder that refuses the lock's
/// file is no_permission; a folder or read-only file at the lock file's
/// name is not_a_file, naming it.
outcome<folder_lock> lock_folder(std::string_view path, std::chrono::milliseconds wait);

/// A folder held open, for building a tree below it that no other program
/// can redirect: every folder and file below it is made and entered through
/// the handle of the folder that holds it, never by a path from above (POSIX
/// openat and mkdirat, with links refused at every step), and files are
/// created exclusively. A folder on the way that another program swaps for a
/// link meanwhile is refused, so nothing is ever made outside. On Windows the
/// folder is also held without sharing its deletion, so that nobody can
/// rename or replace it while it is held. The path is the folder's as it
/// was opened, for messages and for the next open below it.
class held_folder {
 public:
  /// Opens the folder at the path; a link there (or anything but a folder)
  /// is refused as not_a_folder.
  static outcome<held_folder> open(std::string_view path);

  held_folder(held_folder&& other) noexcept;
  held_folder& operator=(held_folder&& other) noexcept;
  held_folder(const held_folder&) = delete;
  held_folder& operator=(const held_folder&) = delete;
  ~held_folder();

  const std::string& path() const { return path_; }

  /// A second hold on the same folder.
  outcome<held_folder> duplicate() const;
  /// Opens the folder of that name inside this one; a link or anything but
  /// a folder is refused as not_a_folder.
  outcome<held_folder> open_folder(std::string_view name) const;
  /// Creates a folder of that name inside this one (exists when anything is
  /// there).
  status create_folder(std::string_view name) const;
  /// Creates a new regular file of that name inside this one, for writing
  /// (exists when anything is there, a link included).
  outcome<file> create_file(std::string_view name) const;
  /// Opens the regular file of that name inside this one for writing, its
  /// contents cut to nothing (a link or anything but a regular file there
  /// is refused as not_a_file).
  outcome<file> rewrite_file(std::string_view name) const;
  /// Removes the file or link of that name inside this one.
  status remove_file(std::string_view name) const;
  /// What stands at that name inside this one, links not followed (none
  /// when nothing does).
  entry_kind kind_of(std::string_view name) const;
  /// Whether the path still names this very folder (not a link to it, not
  /// another folder put in its place).
  bool is_at(std::string_view path) const;
  /// Lets the folder go (before it is renamed, which Windows refuses while
  /// it is held).
  void release();

 private:
  held_folder(std::intptr_t handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  std::string inside(std::string_view name) const { return join_path(path_, name); }
  std::intptr_t handle_ = -1;
  std::string path_;
};

/// How many folders a builder of a tree keeps held at once: a few where
/// each is entered through its parent's handle (POSIX), every one where
/// holding a folder is what keeps its path from being redirected (Windows).
std::size_t held_folders_to_keep();

/// Gives the owner write permission, or takes every write permission away.
status set_writable(std::string_view path, bool writable);

/// A file's permissions as the system keeps them: the mode bits on POSIX,
/// the read-only, hidden and system attributes on Windows. Only meaningful
/// to set_permissions on the same system.
struct file_permissions {
  std::uint32_t bits = 0;
};
/// The permissions of a regular file (links not followed).
outcome<file_permissions> permissions_of(std::string_view path);
/// Gives a regular file the permissions read from another (or the same).
status set_permissions(std::string_view path, file_permissions permissions);
/// Whether permissions let the owner write the file.
bool is_writable(file_permissions permissions);

/// What a symbolic link holds (where it points), read from the link itself.
/// not_a_file for anything but a link.
outcome<std::string> read_link(std::string_view path);
/// Makes a symbolic link holding link_text at the path; fails when anything
/// is there already.
status make_link(std::string_view link_text, std::string_view path);
/// Sets the last-access and last-write times of the entry at the path.
status set_file_times(std::string_view path, file_time access, file_time modification);

}  // namespace vantor::platform
