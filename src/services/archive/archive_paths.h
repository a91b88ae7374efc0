#pragma once
// Paths for extraction: the folders along a path, where an entry lands
// under the target folder, and which entry names may land anywhere at all.

#include <string>
#include <string_view>

namespace vantor {

/// Whether anything (file, folder, link) stands at the path; a folder path
/// with a trailing separator counts too.
bool path_exists(std::string_view path);

/// Appends the separator unless the path already ends in one.
void ensure_trailing_separator(std::string& path);

/// Creates every missing folder along path, from its first level on. False
/// when one cannot be created; the levels before it stay.
bool create_folder_path(std::string_view path);

/// Whether an entry name may be joined to the target folder. Refused: an
/// absolute name ("/x", "\x", "\\server\share"), a drive prefix or any ":",
/// a ".." part (split on both "/" and "\"), a zero byte or a control
/// character. Names that are unsafe on either Linux or Windows are refused
/// on both, so an archive extracts alike everywhere.
bool is_safe_entry_name(std::string_view name);

/// target_folder, a separator, then the entry name with each "/" and "\"
/// replaced by the platform's separator (a trailing one is kept).
std::string entry_output_path(std::string_view target_folder, std::string_view name);

/// Whether any part of path below target_folder (path starts with it) is a
/// symbolic link, which an entry must never write through.
bool passes_through_link(std::string_view target_folder, std::string_view path);

}  // namespace vantor
