#pragma once
// Extracting a ZIP archive into a folder (the model package), on minizip.

#include <string_view>

#include "platform/files.h"
#include "platform/outcome.h"
#include "platform/tree_flusher.h"
#include "services/progress.h"

namespace vantor {

/// Extracts every entry of the ZIP file at archive_path under target_folder;
/// succeeds when every entry the archive's directory declares was extracted
/// whole, and otherwise says why not. An empty path, or nothing at
/// archive_path, fails with not_found before anything is made.
///
/// The target folder is created first when it is missing; folders and files
/// made stay whatever the result, so a caller that wants all or nothing
/// extracts into a new folder and removes it on failure. Before anything is
/// extracted, every entry's record and name are read: a record that cannot
/// be read is damaged; a name that could land outside the target folder or
/// that Windows cannot hold as it is (see is_safe_entry_name; checked after
/// a name without the UTF-8 flag that is not UTF-8 is decoded from GB18030)
/// is unsafe_name, on every system alike; an archive whose declared sizes
/// add up to more than the free space of the target's file system is
/// refused (no_space). The entries are then extracted in directory order,
/// and the first that cannot be extracted ends the extraction:
///
/// - data that cannot be inflated, or data whose size or CRC-32 is not the
///   declared one: damaged;
/// - a file, symbolic link or anything but a folder where a folder goes, or
///   anything but a plain file where a file goes: exists. Nothing is ever
///   written through a symbolic link.
///
/// The archive may carry ZIP64 records (end records, and fields on entries
/// of any size) and bytes before its first entry or after its end record:
/// see zip_directory.h.
///
/// Folders are created as file entries need them, whether or not the
/// archive has entries for them. Names that differ only in ASCII letter case
/// name the same file or folder, as on Windows: the first spelling is kept
/// and a later file entry replaces the earlier one. An entry whose name ends
/// in a separator, with no data, is a folder entry even without the folder
/// attribute. No file gets more than its declared size, and the whole
/// extraction never writes more than the declared sizes together. Link
/// entries are written as plain files holding the link text. Extracted
/// files get the entry's times and never a read-only flag from the archive.
/// The time taken grows in proportion to the entries in a folder the
/// extraction created. Progress is told in entries, after each one.
/// Each file extracted whole is handed to `flusher`, when given, to be made
/// durable while the extraction goes on.
status unpack_archive(std::string_view archive_path, std::string_view target_folder,
                      const progress_callback& progress = {}, platform::tree_flusher* flusher = nullptr);

/// The same into a folder held open (platform::held_folder): every folder
/// and file is made through the handles of the folders that hold them, so a
/// folder that another program swaps for a link meanwhile fails the
/// extraction instead of redirecting it. target_is_new: the folder was just
/// created, so it is empty.
status unpack_archive(std::string_view archive_path, const platform::held_folder& target, bool target_is_new,
                      const progress_callback& progress = {}, platform::tree_flusher* flusher = nullptr);

}  // namespace vantor
