#pragma once
// Small ZIP archives for the archive tests, written with minizip's own zip
// writer, and the byte offsets needed to damage them by hand.

#include <cstdint>
#include <string>
#include <vector>

#include "services/values.h"

namespace vantor::testing::fixture {

/// External attributes: a Unix mode in the upper half, DOS flags below.
inline constexpr std::uint32_t unix_mode(std::uint32_t mode) { return mode << 16; }
inline constexpr std::uint32_t unix_file = unix_mode(0100644);
inline constexpr std::uint32_t unix_folder = unix_mode(040755) | 0x10;
inline constexpr std::uint32_t unix_link = unix_mode(0120777);
inline constexpr std::uint32_t dos_readonly = 0x01;
inline constexpr std::uint32_t dos_hidden = 0x02;
inline constexpr std::uint32_t dos_folder = 0x10;

/// A DOS date and time as stored in a ZIP header.
constexpr std::uint32_t dos_date_time(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                                      unsigned second) {
  return (((year - 1980) << 9 | month << 5 | day) << 16) | (hour << 11 | minute << 5 | second / 2);
}

struct zip_item {
  std::string name;
  byte_string data;
  int method = 8;  ///< 0 stored, 8 deflated
  std::uint32_t external = unix_file;
  std::uint32_t dos_time = dos_date_time(2021, 3, 4, 5, 6, 8);
  byte_string local_extra;
};

/// A file entry with text contents.
zip_item file_item(std::string name, std::string_view contents, int method = 8);
/// A folder entry (Unix folder mode and the DOS folder flag).
zip_item folder_item(std::string name);

/// Writes an archive holding the items, in order.
void write_zip(const std::string& path, const std::vector<zip_item>& items);

/// An extended-timestamp ("UT") extra block with the given flags and times.
byte_string extended_timestamp(std::uint8_t flags, const std::vector<std::int32_t>& times);

/// Where one entry's records lie in an archive's bytes.
struct zip_record {
  std::size_t local_header = 0;    ///< offset of the local header
  std::size_t central_header = 0;  ///< offset of the central directory record
  std::size_t data = 0;            ///< offset of the entry's (compressed) data
  std::size_t name_length = 0;
};

/// The records of every entry, found through the end-of-directory record.
std::vector<zip_record> zip_records(const byte_string& archive);
/// Offset of the central directory.
std::size_t central_directory_offset(const byte_string& archive);

void put_le16(byte_string& bytes, std::size_t at, std::uint16_t value);
void put_le32(byte_string& bytes, std::size_t at, std::uint32_t value);

// Local header fields (offsets from the header) and the central record's.
inline constexpr std::size_t local_method = 8, local_crc = 14, local_size = 22, local_name_length = 26,
                             local_extra_length = 28;
inline constexpr std::size_t central_method = 10, central_crc = 16, central_size = 24;

}  // namespace vantor::testing::fixture
