#include "zip_writer.h"

#include <minizip/zip.h>

#include <algorithm>
#include <array>

#include "platform/files.h"
#include "services/little_endian.h"

namespace vantor {

namespace {

constexpr uLong made_on_unix = 0x031E;  // host 3 (Unix), format version 3.0

// The archive file as minizip writes it, through the platform layer, so
// names in any script work on every system.
struct output_stream {
  platform::file file;
  std::int64_t position = 0;
  bool failed = false;
};

output_stream* stream_of(voidpf stream) { return static_cast<output_stream*>(stream); }

voidpf open_output(voidpf, const void* path, int) {
  auto opened = platform::open_file(static_cast<const char*>(path), platform::open_mode::replace);
  if (!opened) return nullptr;
  return new output_stream{std::move(*opened)};
}

uLong read_output(voidpf, voidpf, void*, uLong) { return 0; }

uLong write_output(voidpf, voidpf stream, const void* data, uLong size) {
  output_stream& out = *stream_of(stream);
  if (!out.file.write(data, size)) {
    out.failed = true;
    return 0;
  }
  out.position += static_cast<std::int64_t>(size);
  return size;
}

ZPOS64_T tell_output(voidpf, voidpf stream) { return static_cast<ZPOS64_T>(stream_of(stream)->position); }

long seek_output(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  output_stream& out = *stream_of(stream);
  std::int64_t target = static_cast<std::int64_t>(offset);
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) target += out.position;
  if (origin == ZLIB_FILEFUNC_SEEK_END) {
    const auto size = out.file.size();
    if (!size) return -1;
    target += *size;
  }
  if (target < 0 || !out.file.seek(target)) return -1;
  out.position = target;
  return 0;
}

int close_output(voidpf, voidpf stream) {
  output_stream* out = stream_of(stream);
  const bool closed = out->file.close().ok();
  delete out;
  return closed ? 0 : -1;
}

int error_output(voidpf, voidpf stream) { return stream_of(stream)->failed ? 1 : 0; }

constexpr std::size_t end_record_size = 22;

// Puts the ZIP64 end record and its locator before the end record of an
// archive without a comment, saying how many entries it holds: the end
// record is read, and written again after the two new records.
bool add_zip64_end_records(const std::string& path, std::uint64_t entries) {
  std::array<std::uint8_t, end_record_size> end_record{};
  std::int64_t end = 0;
  {
    auto in = platform::open_file(path, platform::open_mode::read);
    if (!in) return false;
    const auto size = in->size();
    if (!size || *size < static_cast<std::int64_t>(end_record_size)) return false;
    end = *size - static_cast<std::int64_t>(end_record_size);
    if (!in->seek(end)) return false;
    for (std::size_t filled = 0; filled < end_record.size();) {
      const auto got = in->read(end_record.data() + filled, end_record.size() - filled);
      if (!got || *got == 0) return false;
      filled += *got;
    }
  }
  if (load_le32(end_record.data()) != 0x06054B50) return false;
  std::array<std::uint8_t, 56 + 20 + end_record_size> tail{};
  std::uint8_t* record = tail.data();
  store_le32(record, std::uint32_t{0x06064B50});  // ZIP64 end of central directory record
  store_le64(record + 4, 44);
  store_le16(record + 12, 45);
  store_le16(record + 14, 45);
  store_le64(record + 24, entries);
  store_le64(record + 32, entries);
  store_le64(record + 40, load_le32(end_record.data() + 12));  // the directory's size
  store_le64(record + 48, load_le32(end_record.data() + 16));  // and offset
  std::uint8_t* locator = record + 56;
  store_le32(locator, std::uint32_t{0x07064B50});
  store_le64(locator + 8, static_cast<std::uint64_t>(end));
  store_le32(locator + 16, std::uint32_t{1});
  std::copy(end_record.begin(), end_record.end(), locator + 20);
  auto out = platform::open_file(path, platform::open_mode::write_existing);
  return out && out->seek(end) && out->write(tail.data(), tail.size()) && out->close();
}

}  // namespace

zip_item file_item(std::string name, std::string_view contents, int method) {
  zip_item item;
  item.name = std::move(name);
  item.data.assign(contents.begin(), contents.end());
  item.method = method;
  return item;
}

zip_item folder_item(std::string name) {
  zip_item item;
  item.name = std::move(name);
  item.method = 0;
  item.external = unix_folder;
  return item;
}

zip_writer::zip_writer(const std::string& path) : path_(path) {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = open_output;
  functions.zread_file = read_output;
  functions.zwrite_file = write_output;
  functions.ztell64_file = tell_output;
  functions.zseek64_file = seek_output;
  functions.zclose_file = close_output;
  functions.zerror_file = error_output;
  zip_ = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
  ok_ = zip_ != nullptr;
}

zip_writer::~zip_writer() { close(); }

bool zip_writer::add(const zip_item& item) {
  if (!ok_) return false;
  zip_fileinfo info{};
  info.dosDate = item.dos_time;
  info.external_fa = item.external;
  const auto extra_size = static_cast<uInt>(item.local_extra.size());
  const bool large = item.data.size() >= 0xFFFFFFFFu;
  ok_ = zipOpenNewFileInZip4_64(zip_, item.name.c_str(), &info,
                                item.local_extra.empty() ? nullptr : item.local_extra.data(), extra_size, nullptr, 0,
                                nullptr, item.method, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, made_on_unix, 0, large ? 1 : 0) == ZIP_OK;
  for (std::size_t done = 0; ok_ && done < item.data.size();) {
    // minizip takes at most 4 GiB at once.
    const auto piece = static_cast<unsigned>(std::min<std::size_t>(item.data.size() - done, 1u << 30));
    ok_ = zipWriteInFileInZip(zip_, item.data.data() + done, piece) == ZIP_OK;
    done += piece;
  }
  ok_ = zipCloseFileInZip(zip_) == ZIP_OK && ok_;
  if (ok_) ++entries_;
  return ok_;
}

bool zip_writer::close() {
  if (zip_ == nullptr) return false;
  const bool closed = zipClose(zip_, nullptr) == ZIP_OK;
  zip_ = nullptr;
  ok_ = ok_ && closed;
  if (ok_ && entries_ >= 0xFFFF) ok_ = add_zip64_end_records(path_, entries_);
  return ok_;
}

bool write_zip_archive(const std::string& path, const std::vector<zip_item>& items) {
  zip_writer writer(path);
  for (const auto& item : items) writer.add(item);
  return writer.close();
}

}  // namespace vantor
