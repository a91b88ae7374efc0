#include "services/archive/archive_reader.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "services/archive/archive_error.h"
#include "services/archive/archive_stream.h"
#include "services/archive/zip_directory.h"
#include "services/files.h"
#include "services/little_endian.h"

namespace vantor {

namespace {

constexpr std::size_t data_buffer_size = std::size_t{256} * 1024;
constexpr std::int64_t smallest_data_buffer = 4096;
constexpr std::uint32_t zip_local_signature = 0x04034B50;
constexpr uLong method_stored = 0;
constexpr uLong method_deflated = Z_DEFLATED;

}  // namespace

class archive_reader {
 public:
  explicit archive_reader(platform::file file) : stream_(std::move(file)) {
    // minizip reads the directory as the program has read and rewritten it.
    std::optional<plain_directory> directory = read_plain_directory(stream_);
    if (!directory) return;
    stream_.replace_tail(directory->kept, std::move(directory->records));
    zlib_filefunc64_def functions = archive_stream_functions();
    zip_ = unzOpen2_64(&stream_, &functions);
    if (zip_ == nullptr) return;  // minizip has closed the stream
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip_, &global) == UNZ_OK) entry_count_ = global.number_entry;
  }
  archive_reader(const archive_reader&) = delete;
  archive_reader& operator=(const archive_reader&) = delete;
  ~archive_reader() {
    if (zip_ != nullptr) unzClose(zip_);  // also closes the entry still open
  }

  unzFile zip() const { return zip_; }
  bool has_directory() const { return zip_ != nullptr; }
  bool holds(std::int32_t index) const { return index >= 0 && static_cast<std::uint64_t>(index) < entry_count_; }

  void close_open_entry() {
    if (entry_open_) unzCloseCurrentFile(zip_);
    entry_open_ = false;
  }
  /// Closes the open entry; false when minizip found, having given out the
  /// whole declared size, that the data's CRC-32 is not the recorded one.
  bool close_entry_checked() {
    if (!entry_open_) return true;
    entry_open_ = false;
    return unzCloseCurrentFile(zip_) != UNZ_CRCERROR;
  }
  bool open_entry(bool raw) {
    close_open_entry();
    entry_open_ = unzOpenCurrentFile2(zip_, nullptr, nullptr, raw ? 1 : 0) == UNZ_OK;
    return entry_open_;
  }

  /// Makes index minizip's current entry.
  bool move_to(std::int32_t index) {
    if (current_ == index) return true;
    cached_.reset();
    if (current_ < 0 || index < current_) {
      current_ = -1;
      if (unzGoToFirstFile(zip_) != UNZ_OK) return false;
      current_ = 0;
    }
    while (current_ < index) {
      if (unzGoToNextFile(zip_) != UNZ_OK) {
        current_ = -1;
        return false;
      }
      ++current_;
    }
    return true;
  }

  /// Whether minizip finds a directory record after the last declared entry.
  bool record_after_last() {
    if (entry_count_ == 0 || entry_count_ > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
      return false;
    close_open_entry();
    if (!move_to(static_cast<std::int32_t>(entry_count_ - 1))) return false;
    cached_.reset();
    const bool more = unzGoToNextFile(zip_) == UNZ_OK;
    current_ = -1;  // minizip has moved on, or part of the way
    return more;
  }

  const std::optional<archive_entry>& cached() const { return cached_; }
  void remember(const archive_entry& entry) { cached_ = entry; }

  std::uint64_t entry_count() const { return entry_count_; }
  const std::string& path() const { return stream_.path(); }
  bool read_failed() const { return stream_.failed(); }
  /// One buffer for the data of every entry: as large as the largest entry
  /// so far needs, up to a full piece, and never cleared (every byte is
  /// written before it is read).
  std::span<char> data_buffer(std::int64_t entry_size) {
    const auto wanted = static_cast<std::size_t>(
        std::clamp<std::int64_t>(entry_size, smallest_data_buffer, static_cast<std::int64_t>(data_buffer_size)));
    if (wanted > data_buffer_length_) {
      data_buffer_ = std::make_unique_for_overwrite<char[]>(wanted);
      data_buffer_length_ = wanted;
    }
    return {data_buffer_.get(), data_buffer_length_};
  }

 private:
  archive_stream stream_;
  unzFile zip_ = nullptr;
  std::uint64_t entry_count_ = 0;
  std::int32_t current_ = -1;  // minizip's current entry; -1 when unknown
  bool entry_open_ = false;
  std::optional<archive_entry> cached_;
  std::unique_ptr<char[]> data_buffer_;
  std::size_t data_buffer_length_ = 0;
};

void archive_reader_closer::operator()(archive_reader* reader) const { delete reader; }

bool check_zip_signature(std::string_view path) {
  auto in = file_reader::open(path);
  std::array<std::uint8_t, 32> head{};
  if (!in || !in->read_exactly(head)) return false;
  return load_le32(head.data()) == zip_local_signature && static_cast<std::int32_t>(load_le32(head.data() + 24)) >= 1;
}

archive_handle open_archive(std::string_view path) {
  auto in = platform::open_file(path, platform::open_mode::read);
  if (!in) return nullptr;
  return open_archive(std::move(*in));
}

archive_handle open_archive(platform::file in) { return archive_handle(new archive_reader(std::move(in))); }

void close_archive(archive_handle& handle) { handle.reset(); }

outcome<archive_entry> get_archive_entry(archive_reader* reader, std::int32_t index) {
  if (reader == nullptr) return failure{archive_error::no_such_entry, {}};
  if (!reader->has_directory() || !reader->holds(index)) return failure{archive_error::no_such_entry, reader->path()};
  if (reader->cached() && reader->cached()->index == index) return *reader->cached();
  const failure damaged{archive_error::damaged, reader->path()};
  reader->close_open_entry();
  if (!reader->move_to(index)) return damaged;

  unz_file_info64 info{};
  std::array<char, longest_entry_name + 1> name{};
  if (unzGetCurrentFileInfo64(reader->zip(), &info, name.data(), name.size(), nullptr, 0, nullptr, 0) != UNZ_OK)
    return damaged;
  if (info.compression_method != method_stored && info.compression_method != method_deflated) return damaged;
  // Opening raw reads and checks the local header without setting up inflate.
  if (!reader->open_entry(true)) return damaged;
  const int extra_size = unzGetLocalExtrafield(reader->zip(), nullptr, 0);
  byte_string extra(static_cast<std::size_t>(std::max(extra_size, 0)));
  if (extra_size < 0 || (!extra.empty() && unzGetLocalExtrafield(reader->zip(), extra.data(),
                                                                 static_cast<unsigned>(extra.size())) != extra_size)) {
    reader->close_open_entry();
    return damaged;
  }
  reader->close_open_entry();

  archive_entry filled;
  filled.index = index;
  filled.name.assign(name.data(), std::min<std::size_t>(info.size_filename, longest_entry_name));
  filled.name_cut = info.size_filename > longest_entry_name;
  filled.flags = static_cast<std::uint16_t>(info.flag);
  filled.attributes = attributes_from_external(static_cast<std::uint32_t>(info.external_fa));
  const file_ticks dos_time = ticks_from_dos(static_cast<std::uint32_t>(info.dosDate));
  filled.access_time = filled.creation_time = filled.modification_time = dos_time;
  if (!apply_extended_timestamp(extra, filled))
    return failure{archive_error::bad_time_stamp, platform::join_path(reader->path(), filled.name)};
  filled.compressed_size = static_cast<std::int64_t>(info.compressed_size);
  filled.uncompressed_size = static_cast<std::int64_t>(info.uncompressed_size);

  reader->remember(filled);
  return filled;
}

std::int64_t declared_entry_count(archive_reader* reader) {
  if (reader == nullptr || !reader->has_directory()) return -1;
  return static_cast<std::int64_t>(
      std::min<std::uint64_t>(reader->entry_count(), std::numeric_limits<std::int64_t>::max()));
}

bool has_undeclared_entries(archive_reader* reader) {
  return reader != nullptr && reader->has_directory() && reader->record_after_last();
}

outcome<std::int32_t> count_archive_entries(archive_reader* reader) {
  if (reader == nullptr) return failure{archive_error::no_such_entry, {}};
  if (!reader->has_directory()) return failure{archive_error::no_such_entry, reader->path()};
  std::int32_t count = 0;
  while (true) {
    const outcome<archive_entry> entry = get_archive_entry(reader, count);
    if (!entry && entry.error().kind == archive_error::bad_time_stamp) return entry.error();
    if (!entry) return count;
    ++count;
  }
}

status extract_entry_to_file(archive_reader* reader, std::int32_t index, std::string_view path) {
  if (reader != nullptr) reader->close_open_entry();
  const outcome<archive_entry> entry = get_archive_entry(reader, index);
  if (!entry) return entry.error();

  // A link, a folder or a device at the path is never written through; the
  // writing open below also refuses a link that appears meanwhile.
  const platform::entry_kind standing = platform::kind_of(path);
  if (standing != platform::entry_kind::none && standing != platform::entry_kind::file)
    return failure{os_error::not_a_file, std::string(path)};
  auto opened = platform::open_file(path, platform::open_mode::replace);
  if (!opened) return opened.error();
  if ((entry->attributes & file_attribute::readonly) != 0) (void)platform::set_writable(opened->path(), false);
  return write_entry_file(reader, *entry, *opened);
}

status write_entry_file(archive_reader* reader, const archive_entry& entry, platform::file& out) {
  status written = write_entry_data(reader, entry, out);
  // Through the open file: its path may no longer lead to it.
  if (written) (void)out.set_times(platform_time(entry.access_time), platform_time(entry.modification_time));
  // A close that fails has lost written data.
  status closed = out.close();
  if (!written) return written;
  return closed;
}

status write_entry_data(archive_reader* reader, const archive_entry& entry, platform::file& out) {
  if (reader == nullptr || !reader->has_directory() || !reader->holds(entry.index))
    return failure{os_error::other, out.path()};
  const failure damaged{archive_error::damaged, platform::join_path(reader->path(), entry.name)};
  // Without a password its bytes are noise.
  if (entry.is_encrypted()) return failure{os_error::other, damaged.path};
  if (entry.uncompressed_size < 0) return damaged;
  reader->close_open_entry();
  if (!reader->move_to(entry.index) || !reader->open_entry(false)) return damaged;

  const std::span<char> buffer = reader->data_buffer(entry.uncompressed_size);
  std::int64_t left = entry.uncompressed_size;
  while (left > 0) {
    // Never more than the declared size, whatever the data inflates to.
    const auto want = static_cast<unsigned>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
    const int got = unzReadCurrentFile(reader->zip(), buffer.data(), want);
    if (got < 0) {
      reader->close_open_entry();
      if (reader->read_failed()) return failure{os_error::io_error, reader->path()};
      return damaged;
    }
    if (got == 0) break;
    if (status written = out.write(buffer.data(), static_cast<std::size_t>(got)); !written) {
      reader->close_open_entry();
      return written;
    }
    left -= got;
  }
  // minizip compares the CRC-32 once the whole declared size has been read;
  // data that ends early never gets that far.
  const bool checksum_matches = reader->close_entry_checked();
  if (left > 0 || !checksum_matches) return damaged;
  return {};
}

}  // namespace vantor
