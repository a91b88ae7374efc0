#pragma once
// The description of one archive entry, and how it is derived from what the
// ZIP directory and the entry's local header store.

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "services/bytes.h"

namespace vantor {

/// File attribute flags, with the values Windows gives them. Only read-only
/// and folder have a meaning on POSIX; the others are derived and kept in the
/// entry, never applied.
namespace file_attribute {
inline constexpr std::uint32_t readonly = 0x01;
inline constexpr std::uint32_t hidden = 0x02;
inline constexpr std::uint32_t system = 0x04;
inline constexpr std::uint32_t directory = 0x10;
inline constexpr std::uint32_t archive = 0x20;
inline constexpr std::uint32_t normal = 0x80;
}  // namespace file_attribute

/// A point in time as 100-nanosecond ticks since 1601-01-01 00:00:00 UTC.
using file_ticks = std::int64_t;

/// The longest entry name an archive_entry holds, in bytes.
inline constexpr std::size_t longest_entry_name = 259;

struct archive_entry {
  std::int32_t index = -1;  ///< position in the central directory, from 0
  std::string name;         ///< as stored, "/" separated, at most longest_entry_name bytes
  std::uint32_t attributes = file_attribute::normal;
  file_ticks access_time = 0;
  file_ticks creation_time = 0;
  file_ticks modification_time = 0;
  std::int64_t compressed_size = 0;
  std::int64_t uncompressed_size = 0;
  bool name_cut = false;    ///< the stored name was longer than name can hold
  std::uint16_t flags = 0;  ///< the general purpose bit flags (see the two below)

  /// The folder attribute, as stored. Whether the entry is a folder goes by
  /// its name alone: one that ends in "/".
  bool has_folder_attribute() const { return (attributes & file_attribute::directory) != 0; }
  /// Bit 0: the data is encrypted.
  bool is_encrypted() const { return (flags & 0x0001) != 0; }
  /// Bit 11: the name is UTF-8; without it, whatever the writing system used.
  bool name_is_utf8() const { return (flags & 0x0800) != 0; }
};

/// The attribute flags of an entry from its 32-bit external attributes: the
/// DOS flags in the low byte, a Unix mode in the upper half. The host system
/// is not consulted, so DOS-only attributes (upper half zero) come out
/// read-only; extraction clears that again.
std::uint32_t attributes_from_external(std::uint32_t external);

/// A DOS date and time (time in the low 16 bits, date in the high 16 bits)
/// taken as UTC. A value that names no real moment (month 0, day 31 of a
/// 30-day month, second 60 …) gives 1980-01-01 00:00:00.
file_ticks ticks_from_dos(std::uint32_t dos_date_time);

/// Seconds since 1970-01-01 00:00:00 UTC.
file_ticks ticks_from_unix(std::int64_t seconds);

/// The same moment as the platform's seconds and nanoseconds since 1970.
platform::file_time platform_time(file_ticks ticks);

/// Applies the first extended-timestamp ("UT") block of a local extra field
/// to the entry's times: flag bit 0 gives the modification time, bit 1 the
/// access time, bit 2 the creation time. A time that does not fit inside
/// its block is not read. False when a present time is negative as a signed
/// 32-bit value, which names no calendar date here.
bool apply_extended_timestamp(byte_view local_extra, archive_entry& entry);

}  // namespace vantor
