#pragma once
// The same entries laid out as different ZIP writers lay them out: ZIP64
// fields on small entries, ZIP64 end records, bytes before the ZIP (a
// self-extracting archive, or a ZIP appended to another file) and bytes
// after it. Every shape here is a sound archive that Python's zipfile and
// Info-ZIP's unzip read.

#include <cstddef>

#include "support/zip_damage.h"

namespace vantor::testing::fixture {

struct zip_shape {
  /// Local headers give all ones for both sizes and the sizes in a ZIP64
  /// extra block (Python's force_zip64).
  bool zip64_local = false;
  /// Directory records give all ones for both sizes and the sizes in a
  /// ZIP64 extra block (Info-ZIP's zip -fz gives the uncompressed size so).
  bool zip64_sizes = false;
  /// Directory records give the local header's offset in the ZIP64 block.
  bool zip64_offsets = false;
  /// A ZIP64 end record and its locator, and an end record of all ones.
  bool zip64_end = false;
  /// The ZIP64 end record loses its signature: damage.
  bool zip64_end_lost = false;
  /// Bytes before the first local header.
  std::size_t prefix = 0;
  /// With a prefix: the offsets count from the start of the file, as
  /// zip -A leaves them, instead of from the start of the ZIP.
  bool offsets_from_file = false;
  /// Bytes after the end record.
  std::size_t trailing = 0;
  /// The bytes after the end record end in end records of nothing, as a
  /// file appended to the ZIP may hold.
  bool trailing_end_records = false;
};

/// Lays the archive's entries out again in the shape, bytes unchanged: the
/// local header and data of each entry, its directory record (both with
/// whatever damage they carry) and the end records.
zip_patch reshape(zip_shape shape);

}  // namespace vantor::testing::fixture
