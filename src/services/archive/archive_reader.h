#pragma once
// Reading a ZIP archive entry by entry, on minizip's unzip interface. A
// handle belongs to one extraction and is never shared.

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/files.h"
#include "platform/outcome.h"
#include "services/archive/archive_entry.h"

namespace vantor {

class archive_reader;
struct archive_reader_closer {
  void operator()(archive_reader* reader) const;
};
/// An open archive; releasing it closes the entry still open and the file.
using archive_handle = std::unique_ptr<archive_reader, archive_reader_closer>;

/// The pre-check of a ZIP file: its first 32 bytes exist, start with the
/// local header signature 50 4B 03 04, and the signed 32-bit value at offset
/// 24 (the high half of the first entry's size and its name length) is at
/// least 1.
bool check_zip_signature(std::string_view path);

/// Opens the archive file and reads its central directory. None when the
/// file cannot be opened; a handle without a directory when the file opens
/// but holds no readable directory.
archive_handle open_archive(std::string_view path);
/// The same over a file already open for reading.
archive_handle open_archive(platform::file in);

/// Closes the archive (the handle becomes empty).
void close_archive(archive_handle& handle);

/// Moves to entry index (back to the first one when index lies before the
/// current entry, then forward one at a time), reads its directory record,
/// checks its method and its local header and reads the local extra field,
/// and gives the entry. The entry given last is kept and given again for the
/// same index. Fails with no_such_entry without a handle, without a
/// directory or for an index outside the entries; with damaged (on the
/// archive's path) when the record cannot be read, the method is neither
/// stored (0) nor deflated (8), the local header disagrees with the
/// directory or the local extra field cannot be read; with bad_time_stamp
/// when the extended time stamp names no calendar date (a negative time).
outcome<archive_entry> get_archive_entry(archive_reader* reader, std::int32_t index);

/// The number of entries the archive's directory declares; -1 without a
/// directory.
std::int64_t declared_entry_count(archive_reader* reader);

/// Whether the directory holds a record after the entries it declares. Some
/// writers leave an end record that says 65535 entries, without the ZIP64
/// records that give the real count, for more; minizip then declares 65535
/// but walks on. Such an archive cannot be extracted completely.
bool has_undeclared_entries(archive_reader* reader);

/// The number of entries before the first whose information cannot be read.
/// Fails with no_such_entry when there is no handle or it has no directory,
/// and with bad_time_stamp when an entry's extended time stamp cannot be
/// converted.
outcome<std::int32_t> count_archive_entries(archive_reader* reader);

/// Writes the data of file entry index to the file at path, replacing it.
/// The folder must exist already: no folder is created. Something other
/// than a plain file at path (a folder, a symbolic link) is never opened.
/// A read-only entry gives a file without write permission. The data is
/// streamed through one buffer of 256 KB and never goes past the entry's
/// declared size. On success the access and modification times are set from
/// the entry. A failure part way leaves the bytes written so far. Fails as
/// get_archive_entry does for the entry; with the system's refusal (or
/// not_a_file for anything but a plain file at path) when the file cannot
/// be opened; as write_entry_file does for the data.
status extract_entry_to_file(archive_reader* reader, std::int32_t index, std::string_view path);

/// Writes the data of an entry, as get_archive_entry described it, to an
/// open file: exactly its declared size, never more, checked against its
/// CRC-32. Fails with damaged (on the archive path joined with the entry
/// name) when the data cannot be inflated, ends before the declared size or
/// has another CRC-32; with io_error when the archive cannot be read; with
/// the write's own failure when writing fails; with other for an encrypted
/// entry. A failure part way leaves the bytes written so far.
status write_entry_data(archive_reader* reader, const archive_entry& entry, platform::file& out);

/// write_entry_data, then closes the file and gives it the entry's times;
/// a close that fails is a failure too (written data may be lost).
status write_entry_file(archive_reader* reader, const archive_entry& entry, platform::file& out);

}  // namespace vantor
