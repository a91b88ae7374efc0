#pragma once
// The native primitives under platform/files.cpp, inside the platform layer
// only. Each native half (platform_posix.cpp, platform_win32.cpp and
// platform_memory.cpp) defines all of them with the system's own calls: no
// fault hook, no letter-case lookup, no argument checks, no loops over
// folders. Paths arrive resolved and non-empty. The halves also hold what
// files.h leaves to the system (is_separator, path_separator); the process,
// desktop and text calls of a real system are in system_posix.cpp and
// system_win32.cpp.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace vantor::platform::native {

/// A file's or lock's system handle (a descriptor or a HANDLE).
using handle = std::intptr_t;

/// Whether the file system tells names apart by letter case, so that
/// resolve_path has work to do.
extern const bool names_keep_letter_case;
/// Whether a path may start with a drive ("C:\"), whose separator belongs
/// to the drive.
extern const bool paths_have_drives;

/// Opens a regular file; anything else is refused as not_a_file.
outcome<handle> open(const std::string& path, open_mode mode);
outcome<std::size_t> read(handle file, void* buffer, std::size_t size, const std::string& path);
/// Writes all bytes, retrying short writes.
status write(handle file, const void* data, std::size_t size, const std::string& path);
status seek(handle file, std::int64_t offset, const std::string& path);
outcome<std::int64_t> size(handle file, const std::string& path);
status flush(handle file, const std::string& path);
status set_times(handle file, file_time access, file_time modification, const std::string& path);
status close(handle file, const std::string& path);
/// Closes without a word: for a destructor or a path that already failed.
void close_quietly(handle file);

/// The entry at the path, links not followed; the system's reason when it
/// cannot be looked at (not_found when nothing is there).
outcome<entry_kind> look_at(const std::string& path);
/// Whether the path names a folder, links followed.
status check_folder(const std::string& path);
/// Names in a folder without "." and ".."; empty when it cannot be read.
std::vector<std::string> list_folder(const std::string& folder);

/// in_use while another program holds the file so that it may not be
/// replaced or removed.
status check_replaceable(const std::string& path);
/// A second name for a regular file (a hard link), links not followed.
status make_hard_link(const std::string& existing, const std::string& path);

/// A folder held open (platform/files.h, held_folder). `name` is the entry
/// inside the folder `in`, `path` the same entry's whole path (which the
/// Windows half uses, the folders on the way being held).
outcome<handle> open_folder(const std::string& path);
outcome<handle> open_folder_in(handle in, const std::string& name, const std::string& path);
status create_folder_in(handle in, const std::string& name, const std::string& path);
/// A new regular file, exclusively, for writing.
outcome<handle> create_file_in(handle in, const std::string& name, const std::string& path);
/// An existing regular file (never through a link), for writing, cut to
/// nothing.
outcome<handle> rewrite_file_in(handle in, const std::string& name, const std::string& path);
status remove_file_in(handle in, const std::string& name, const std::string& path);
/// How many folders an unpacking keeps held at once: a few where each is
/// entered through its parent's handle (POSIX), all of them where a held
/// folder is what keeps a path from being redirected (Windows).
extern const std::size_t folders_kept_held;
outcome<entry_kind> look_at_in(handle in, const std::string& name, const std::string& path);
/// Whether the path names the held folder itself.
bool is_held_folder_at(handle folder, const std::string& path);
outcome<handle> duplicate_folder(handle folder, const std::string& path);
/// Lets a held folder go.
void release_folder(handle folder);

/// Renames over the target in one step.
status rename_over(const std::string& from, const std::string& to);
/// Removes a file or link (on Windows a linked folder too).
status remove_file(const std::string& path);
/// Clears what would keep an entry from being removed (Windows' read-only
/// attribute); nothing where removal depends on the folder alone.
void allow_removal(const std::string& path);
status create_folder(const std::string& path);
/// Removes an empty folder.
status remove_folder(const std::string& path);
/// Makes a folder's entries durable; counts as done where that cannot be
/// tried.
status flush_folder(const std::string& folder);
/// Opens an existing file and makes its contents durable.
status flush_file_at(const std::string& path);
/// Whether flush_file_system makes a whole file system durable in one call
/// here; where it does not, a tree is flushed file by file.
extern const bool flushes_file_system;
/// Makes a whole file system durable in one call, where the system has one;
/// nothing where it has not (then the tree is walked).
std::optional<status> flush_file_system(const std::string& folder);
outcome<std::uint64_t> free_space(const std::string& path);
status check_writable(const std::string& folder);

/// The file in a folder that holds its lock, where the system locks folders
/// through a file (Windows); empty where the folder itself is locked.
extern const std::string_view lock_file_name;
/// The permission bit that tells whether the owner may write a file, and
/// whether it says so when set (POSIX's owner-write bit) or when clear
/// (Windows' read-only attribute).
extern const std::uint32_t write_permission_bit;
extern const bool write_permission_bit_allows;

/// One try at a folder's lock: busy (with no path) while another process
/// holds it.
outcome<handle> try_lock(const std::string& folder);

status set_writable(const std::string& path, bool writable);
outcome<file_permissions> permissions_of(const std::string& path);
status set_permissions(const std::string& path, file_permissions permissions);
outcome<std::string> read_link(const std::string& path);
status make_link(const std::string& link_text, const std::string& path);
status set_file_times(const std::string& path, file_time access, file_time modification);

/// Hands an address to the desktop's opener without waiting for it.
status open_address(const std::string& address);

/// This program's path and its arguments as one command-line text.
struct program_call {
  std::string program;
  std::string arguments;
};
program_call this_program_call();
/// Starts the program with an administrator's rights, without waiting.
status run_elevated(const program_call& call);

}  // namespace vantor::platform::native
