#pragma once
// Writing a ZIP archive the way every reader here unpacks it, on minizip's
// zip writer: entries deflated, in the order they are added, every time
// the same fixed time, names in GBK without the UTF-8 flag (as Chinese
// Windows tools write them) with the Info-ZIP Unicode path beside a name
// that is not plain ASCII. The same entries give the same bytes.

#include <memory>
#include <string>
#include <string_view>

#include "platform/outcome.h"
#include "services/values.h"

namespace vantor {

/// How an entry name is stored: its bytes in the header, and the extra
/// field that carries it as UTF-8 (empty for a plain ASCII name).
struct stored_entry_name {
  std::string bytes;
  byte_string extra;
};

/// The stored form of a UTF-8 entry name ("mesh/头.msh", a folder ending in
/// "/"). Refused as unsafe_name when the unpacking would refuse it, and as
/// name_not_gbk when GBK has no form of it that reads back as the same name
/// (a character outside GBK, or GBK bytes that are valid UTF-8 as well).
/// The failure's path is the name.
outcome<stored_entry_name> store_entry_name(std::string_view name);

class archive_writer {
 public:
  /// Creates the archive file; fails when anything stands at the path.
  static outcome<archive_writer> create(std::string_view path);
  archive_writer(archive_writer&&) noexcept;
  archive_writer& operator=(archive_writer&&) noexcept;
  /// Without close(), the file is left unfinished (the caller removes it).
  ~archive_writer();

  /// A folder entry ("mesh/"), stored, no data.
  status add_folder(std::string_view name);
  /// A file entry with the bytes of a file, deflated, read piece by piece.
  status add_file(std::string_view name, std::string_view source);
  /// Writes the directory and closes the file.
  status close();

 private:
  struct open_archive;
  explicit archive_writer(std::unique_ptr<open_archive> archive);
  std::unique_ptr<open_archive> archive_;
};

}  // namespace vantor
