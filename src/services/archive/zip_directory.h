#pragma once
// An archive's central directory read by the program itself and written
// again in the one form minizip reads alike on every system. Writers differ:
// some give every entry ZIP64 fields, some write ZIP64 end records for a few
// small entries, and a ZIP appended to another file (a self-extracting
// archive) has its offsets counted from the start of the ZIP, not the file.
// minizip reads most of these, but not all: on 64-bit Linux it ignores an
// entry's ZIP64 sizes, and it cannot find ZIP64 end records behind a prefix.

#include <cstdint>
#include <optional>

#include "services/archive/archive_stream.h"
#include "services/values.h"

namespace vantor {

/// The archive as minizip is to see it: the file's first kept bytes, which
/// hold every entry's local header and data, then records in place of the
/// rest of the file.
struct plain_directory {
  std::int64_t kept = 0;
  /// One directory record for each entry, without ZIP64 fields unless a
  /// value needs them and with the local header's offset in the file, then
  /// a ZIP64 end record, its locator and the end record.
  byte_string records;
  std::uint64_t entries = 0;
};

/// Reads the end records and the central directory of the archive in the
/// stream. The end record is the last one in the final 64 KB that leads to
/// a directory, of the last four that look like one (bytes after it are
/// ignored); ZIP64 end records are used when their locator stands right
/// before it. Bytes before the first entry are allowed: the directory's
/// offsets are corrected by the distance between where the directory says
/// it starts and where it stands. None when no end record leads to a
/// directory of the declared number of records (at least one), the archive
/// spans disks, a record needs ZIP64 values it lacks, a local header would
/// lie outside the entries' part of the file, or a record follows the
/// declared ones.
std::optional<plain_directory> read_plain_directory(archive_stream& stream);

}  // namespace vantor
