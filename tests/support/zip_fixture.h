#pragma once
// Small ZIP archives for the tests, written with the project's ZIP writer,
// and the byte offsets needed to damage them by hand.

#include <cstdint>
#include <string>
#include <vector>

#include "services/values.h"
#include "zip_writer.h"

namespace vantor::testing::fixture {

using vantor::dos_date_time;
using vantor::dos_folder;
using vantor::dos_hidden;
using vantor::dos_readonly;
using vantor::file_item;
using vantor::folder_item;
using vantor::unix_file;
using vantor::unix_folder;
using vantor::unix_link;
using vantor::unix_mode;
using vantor::zip_item;

/// Writes an archive holding the items, in order; throws when it cannot.
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
