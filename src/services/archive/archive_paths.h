#pragma once
// Paths for extraction: the folders along a path, which entry names may land
// anywhere at all, and how a stored name becomes the parts of a path below
// the target folder.

#include <string>
#include <string_view>
#include <vector>

#include "platform/outcome.h"

namespace vantor {

/// Whether anything (file, folder, link) stands at the path; a folder path
/// with a trailing separator counts too.
bool path_exists(std::string_view path);

/// Appends the separator unless the path already ends in one.
void ensure_trailing_separator(std::string& path);

/// Creates every missing folder along path, from the first missing level on
/// (a level ends at either separator on Windows). Fails when one cannot be
/// created; the levels before it stay.
status create_folder_path(std::string_view path);

/// Whether an entry name may be joined to the target folder and names there
/// the same file on Linux and on Windows. Refused: an absolute name ("/x",
/// "\x", "\\server\share"), a drive prefix or any ":" (a drive, also
/// "C:x", or an alternate data stream), a ".." part (split on both "/" and
/// "\"), a zero byte or a control character, any of < > " | ? *, a part
/// ending in a dot or a space (Windows drops them, so "name." would become
/// "name"), and a device name as a part (CON, PRN, AUX, NUL, COM1 to COM9,
/// LPT1 to LPT9, CONIN$, CONOUT$, in any letter case, with or without an
/// extension: "nul.tar.gz" is the NUL device). Names that are unsafe on
/// either system are refused on both, so a package extracts alike
/// everywhere.
bool is_safe_entry_name(std::string_view name);

/// The entry name as UTF-8 text. A name the archive marks as UTF-8, and any
/// name that is valid UTF-8 (plain ASCII among them), stays as stored; any
/// other is taken as GB18030, the superset of the GBK that Chinese Windows
/// tools write, and decoded. The name checks run on the result, because a
/// GBK character may hold the byte of "\".
std::string entry_name_text(std::string_view stored, bool marked_utf8);

/// The parts of an entry name, split on both "/" and "\", without empty and
/// "." parts: "a\\b//./c/" gives a, b, c.
std::vector<std::string_view> entry_name_parts(std::string_view name);

/// Whether the name ends in a separator, as folder entries do.
bool ends_in_separator(std::string_view name);

}  // namespace vantor
