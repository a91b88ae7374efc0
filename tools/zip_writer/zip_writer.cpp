#include "zip_writer.h"

#include <minizip/zip.h>

#include <fstream>
#include <iterator>

namespace vantor {

namespace {

constexpr uLong made_on_unix = 0x031E;  // host 3 (Unix), format version 3.0
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
  std::ifstream in(path, std::ios::binary);
  std::string archive((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return false;
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
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
  return static_cast<bool>(out);
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

zip_writer::zip_writer(const std::string& path) : zip_(zipOpen64(path.c_str(), APPEND_STATUS_CREATE)), path_(path) {
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
