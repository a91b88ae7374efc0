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

zip_writer::zip_writer(const std::string& path) {
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
  return ok_;
}

bool zip_writer::close() {
  if (zip_ == nullptr) return false;
  const bool closed = zipClose(zip_, nullptr) == ZIP_OK;
  zip_ = nullptr;
  ok_ = ok_ && closed;
  return ok_;
}

bool write_zip_archive(const std::string& path, const std::vector<zip_item>& items) {
  zip_writer writer(path);
  for (const auto& item : items) writer.add(item);
  return writer.close();
}

}  // namespace vantor
