#include "zip_writer.h"

#include <minizip/zip.h>

#include "platform/platform.h"

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

void put_le(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t get_le(const std::string& in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
  return value;
}

// Puts the ZIP64 end record and its locator before the end record of an
// archive without a comment, saying how many entries it holds.
bool add_zip64_end_records(const std::string& path, std::uint64_t entries) {
  std::string archive;
  {
    auto in = platform::open_file(path, platform::open_mode::read);
    if (!in) return false;
    char buffer[1 << 16];
    while (true) {
      const auto got = in->read(buffer, sizeof buffer);
      if (!got) return false;
      if (*got == 0) break;
      archive.append(buffer, *got);
    }
  }
  if (archive.size() < end_record_size) return false;
  const std::size_t end = archive.size() - end_record_size;
  if (get_le(archive, end, 4) != 0x06054B50) return false;
  const std::uint64_t directory_size = get_le(archive, end + 12, 4);
  const std::uint64_t directory_offset = get_le(archive, end + 16, 4);
  std::string records;
  put_le(records, 0x06064B50, 4);  // ZIP64 end of central directory record
  put_le(records, 44, 8);
  put_le(records, 45, 2);
  put_le(records, 45, 2);
  put_le(records, 0, 4);
  put_le(records, 0, 4);
  put_le(records, entries, 8);
  put_le(records, entries, 8);
  put_le(records, directory_size, 8);
  put_le(records, directory_offset, 8);
  put_le(records, 0x07064B50, 4);  // its locator
  put_le(records, 0, 4);
  put_le(records, end, 8);
  put_le(records, 1, 4);
  archive.insert(end, records);
  auto out = platform::open_file(path, platform::open_mode::replace);
  return out && out->write(archive.data(), archive.size()) && out->close();
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
