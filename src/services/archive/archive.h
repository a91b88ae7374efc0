#pragma once
// Extracting a ZIP archive into a folder (the model package), on minizip.

#include <cstdint>
#include <string_view>

namespace vantor {

/// Extracts every entry of the ZIP file at archive_path under target_folder.
/// 1 when the entries were walked to their end, 0 for a failure after the
/// archive was found, -1 when a path is empty or nothing exists at
/// archive_path.
///
/// The target folder is created first; folders and files made stay whatever
/// the result. The entries are taken in directory order, and the walk ends
/// with 1 at the first entry whose information cannot be read, or with 0 at
/// the first that cannot be extracted. An entry whose name could land
/// outside the target folder (absolute, drive or UNC prefix, "..", a ":", a
/// zero byte or control character) or whose path below the target folder
/// passes a symbolic link counts as one that cannot be extracted: nothing of
/// it is written. Link entries are written as plain files holding the link
/// text. Extracted files never keep a read-only flag from the archive.
std::int32_t extract_archive(std::string_view archive_path, std::string_view target_folder);

}  // namespace vantor
