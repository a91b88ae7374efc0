#pragma once
// Writing ZIP archives, on minizip's zip writer: the demo game's model
// package, the tests' archives and the archive benchmark's package.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/values.h"

namespace vantor {

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

/// An archive written entry by entry, so large ones need not be held whole.
class zip_writer {
 public:
  /// Creates the archive file; ok() tells whether that worked.
  explicit zip_writer(const std::string& path);
  ~zip_writer();
  zip_writer(const zip_writer&) = delete;
  zip_writer& operator=(const zip_writer&) = delete;

  bool ok() const { return ok_; }
  /// Adds one entry; false (and ok() false from then on) when it fails.
  bool add(const zip_item& item);
  /// Writes the central directory and closes the file. An archive of more
  /// than 65534 entries gets the ZIP64 end records that say how many there
  /// are (minizip's writer leaves them out, and other readers then stop or
  /// fail at 65535).
  bool close();

 private:
  void* zip_ = nullptr;
  bool ok_ = false;
  std::string path_;
  std::uint64_t entries_ = 0;
};

/// Writes an archive holding the items, in order; false when it fails.
bool write_zip_archive(const std::string& path, const std::vector<zip_item>& items);

}  // namespace vantor
