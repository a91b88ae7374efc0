#include "services/archive/archive_writer.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <optional>

#include "platform/files.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "services/archive/archive_error.h"
#include "services/archive/archive_paths.h"
#include "services/files.h"
#include "services/little_endian.h"
#include "services/texts.h"

namespace vantor {

namespace {

// 1980-01-01 00:00, the first time a ZIP header can hold: every entry has
// it, so a package does not change with the files' times.
constexpr uLong fixed_dos_time = 0x00210000;
constexpr uLong made_on_dos = 20;    // host 0 (MS-DOS), format version 2.0
constexpr uLong dos_archive = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
constexpr uLong dos_folder = 0x10;   // FILE_ATTRIBUTE_DIRECTORY
constexpr std::uint16_t unicode_path_field = 0x7075;
constexpr std::int64_t zip64_from = 0xFFFFFFFFLL;

// The archive file as minizip writes it, through the platform layer, so a
// folder named in any script works on every system.
struct output_stream {
  platform::file file;
  std::int64_t position = 0;
  std::optional<failure> failed;
};

output_stream* stream_of(voidpf stream) { return static_cast<output_stream*>(stream); }

// minizip opens the "path" it is given: here the stream itself.
voidpf open_output(voidpf, const void* stream, int) { return const_cast<void*>(stream); }
uLong read_output(voidpf, voidpf, void*, uLong) { return 0; }
uLong write_output(voidpf, voidpf stream, const void* data, uLong size) {
  output_stream& out = *stream_of(stream);
  if (status written = out.file.write(data, size); !written) {
    if (!out.failed) out.failed = written.error();
    return 0;
  }
  out.position += static_cast<std::int64_t>(size);
  return size;
}
ZPOS64_T tell_output(voidpf, voidpf stream) { return static_cast<ZPOS64_T>(stream_of(stream)->position); }
long seek_output(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  output_stream& out = *stream_of(stream);
  auto target = static_cast<std::int64_t>(offset);
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) target += out.position;
  if (origin == ZLIB_FILEFUNC_SEEK_END) {
    const auto size = out.file.size();
    if (!size) return -1;
    target += *size;
  }
  if (target < 0) return -1;
  if (status moved = out.file.seek(target); !moved) {
    if (!out.failed) out.failed = moved.error();
    return -1;
  }
  out.position = target;
  return 0;
}
// The file itself is closed by archive_writer::close, which reports it.
int close_output(voidpf, voidpf) { return 0; }
int error_output(voidpf, voidpf stream) { return stream_of(stream)->failed ? 1 : 0; }

}  // namespace

outcome<stored_entry_name> store_entry_name(std::string_view name) {
  std::string_view bare = name;
  if (bare.ends_with('/')) bare.remove_suffix(1);
  // A backslash would be a separator to the unpacking on Windows.
  if (bare.empty() || bare.find('\\') != std::string_view::npos || !is_safe_entry_name(bare))
    return failure{archive_error::unsafe_name, std::string(name)};
  stored_entry_name stored;
  bool ascii = true;
  for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    stored.bytes = std::string(name);
    return stored;
  }
  const gbk_description gbk = description_in_gbk(name);
  stored.bytes.assign(gbk.bytes.begin(), gbk.bytes.end());
  // The unpacking takes a name that is valid UTF-8 as UTF-8: GBK bytes that
  // happen to be would come out as other characters.
  if (!gbk.missing_character.empty() || !is_valid_utf8(name) || entry_name_text(stored.bytes, false) != name)
    return failure{archive_error::name_not_gbk, std::string(name)};
  // Info-ZIP Unicode path: version 1, the CRC-32 of the stored name, the
  // name in UTF-8.
  const std::size_t data_size = 5 + name.size();
  stored.extra.resize(4 + data_size);
  store_le16(stored.extra.data(), unicode_path_field);
  store_le16(stored.extra.data() + 2, static_cast<std::uint16_t>(data_size));
  stored.extra[4] = 1;
  store_le32(stored.extra.data() + 5,
             static_cast<std::uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(stored.bytes.data()),
                                                static_cast<uInt>(stored.bytes.size()))));
  std::copy(name.begin(), name.end(), stored.extra.begin() + 9);
  return stored;
}

struct archive_writer::open_archive {
  output_stream stream;
  zipFile zip = nullptr;
  std::string path;

  failure failed_with(failure_kind fallback) const { return stream.failed ? *stream.failed : failure{fallback, path}; }
  status open_entry(const stored_entry_name& stored, bool folder, bool zip64) const {
    zip_fileinfo info{};
    info.dosDate = fixed_dos_time;
    info.external_fa = folder ? dos_folder : dos_archive;
    const auto extra_size = static_cast<uInt>(stored.extra.size());
    const void* extra = stored.extra.empty() ? nullptr : stored.extra.data();
    const int opened =
        zipOpenNewFileInZip4_64(zip, stored.bytes.c_str(), &info, extra, extra_size, extra, extra_size, nullptr,
                                folder ? 0 : Z_DEFLATED, folder ? 0 : Z_BEST_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, made_on_dos, 0, zip64 ? 1 : 0);
    if (opened != ZIP_OK) return failed_with(os_error::io_error);
    return {};
  }
};

archive_writer::archive_writer(std::unique_ptr<open_archive> archive) : archive_(std::move(archive)) {}
archive_writer::archive_writer(archive_writer&&) noexcept = default;
archive_writer& archive_writer::operator=(archive_writer&&) noexcept = default;
archive_writer::~archive_writer() {
  if (archive_ && archive_->zip != nullptr) zipClose(archive_->zip, nullptr);
}

outcome<archive_writer> archive_writer::create(std::string_view path) {
  auto file = platform::open_file(path, platform::open_mode::create_new, platform::path_lookup::exact);
  if (!file) return file.error();
  auto archive = std::make_unique<open_archive>();
  archive->stream.file = std::move(*file);
  archive->path = std::string(path);
  zlib_filefunc64_def functions{};
  functions.zopen64_file = open_output;
  functions.zread_file = read_output;
  functions.zwrite_file = write_output;
  functions.ztell64_file = tell_output;
  functions.zseek64_file = seek_output;
  functions.zclose_file = close_output;
  functions.zerror_file = error_output;
  archive->zip = zipOpen2_64(&archive->stream, APPEND_STATUS_CREATE, nullptr, &functions);
  if (archive->zip == nullptr) return archive->failed_with(os_error::other);
  return archive_writer(std::move(archive));
}

status archive_writer::add_folder(std::string_view name) {
  std::string folder(name);
  if (!folder.ends_with('/')) folder += '/';
  const auto stored = store_entry_name(folder);
  if (!stored) return stored.error();
  if (status opened = archive_->open_entry(*stored, true, false); !opened) return opened;
  if (zipCloseFileInZip(archive_->zip) != ZIP_OK) return archive_->failed_with(os_error::io_error);
  return {};
}

status archive_writer::add_file(std::string_view name, std::string_view source) {
  const auto stored = store_entry_name(name);
  if (!stored) return stored.error();
  auto in = file_reader::open(source);
  if (!in) return in.error();
  const auto size = in->size();
  if (!size) return size.error();
  if (status opened = archive_->open_entry(*stored, false, *size >= zip64_from); !opened) return opened;
  byte_string buffer = piece_buffer(*size);
  bool written = true;
  const auto read = read_in_pieces(*in, *size, buffer, [&](std::span<std::uint8_t> piece) {
    written = zipWriteInFileInZip(archive_->zip, piece.data(), static_cast<unsigned>(piece.size())) == ZIP_OK;
    return written;
  });
  const bool closed = zipCloseFileInZip(archive_->zip) == ZIP_OK;
  if (!read) return read.error();
  if (!written || !closed) return archive_->failed_with(os_error::io_error);
  // The entry holds what the file held when it was measured.
  if (*read != *size) return failure{os_error::other, std::string(source)};
  return {};
}

status archive_writer::close() {
  const int closed = zipClose(archive_->zip, nullptr);
  archive_->zip = nullptr;
  if (closed != ZIP_OK) return archive_->failed_with(os_error::io_error);
  if (archive_->stream.failed) return *archive_->stream.failed;
  if (status flushed = archive_->stream.file.flush(); !flushed) return flushed;
  return archive_->stream.file.close();
}

}  // namespace vantor
