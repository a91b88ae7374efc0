#include "support/zip_fixture.h"

#include <minizip/zip.h>

#include <stdexcept>

namespace vantor::testing::fixture {

namespace {

constexpr uLong made_on_unix = 0x031E;  // host 3 (Unix), format version 3.0

std::uint32_t le32(const byte_string& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes.at(at)) | (static_cast<std::uint32_t>(bytes.at(at + 1)) << 8) |
         (static_cast<std::uint32_t>(bytes.at(at + 2)) << 16) | (static_cast<std::uint32_t>(bytes.at(at + 3)) << 24);
}

std::uint16_t le16(const byte_string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes.at(at) | (bytes.at(at + 1) << 8));
}

std::size_t end_record(const byte_string& archive) {
  if (archive.size() < 22) throw std::runtime_error("not an archive");
  for (std::size_t at = archive.size() - 22;; --at) {
    if (le32(archive, at) == 0x06054B50) return at;
    if (at == 0) throw std::runtime_error("no end-of-directory record");
  }
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

void write_zip(const std::string& path, const std::vector<zip_item>& items) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) throw std::runtime_error("cannot create " + path);
  for (const auto& item : items) {
    zip_fileinfo info{};
    info.dosDate = item.dos_time;
    info.external_fa = item.external;
    const auto extra_size = static_cast<uInt>(item.local_extra.size());
    const int opened = zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info,
                                               item.local_extra.empty() ? nullptr : item.local_extra.data(), extra_size,
                                               nullptr, 0, nullptr, item.method, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                               DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, made_on_unix, 0, 0);
    if (opened != ZIP_OK) throw std::runtime_error("cannot add " + item.name);
    if (!item.data.empty() &&
        zipWriteInFileInZip(zip, item.data.data(), static_cast<unsigned>(item.data.size())) != ZIP_OK)
      throw std::runtime_error("cannot write " + item.name);
    if (zipCloseFileInZip(zip) != ZIP_OK) throw std::runtime_error("cannot finish " + item.name);
  }
  if (zipClose(zip, nullptr) != ZIP_OK) throw std::runtime_error("cannot close " + path);
}

byte_string extended_timestamp(std::uint8_t flags, const std::vector<std::int32_t>& times) {
  byte_string block = {'U', 'T', 0, 0, flags};
  for (const std::int32_t time : times) {
    block.resize(block.size() + 4);
    put_le32(block, block.size() - 4, static_cast<std::uint32_t>(time));
  }
  put_le16(block, 2, static_cast<std::uint16_t>(block.size() - 4));
  return block;
}

std::size_t central_directory_offset(const byte_string& archive) { return le32(archive, end_record(archive) + 16); }

std::vector<zip_record> zip_records(const byte_string& archive) {
  const std::size_t end = end_record(archive);
  const std::size_t count = le16(archive, end + 10);
  std::size_t at = le32(archive, end + 16);
  std::vector<zip_record> records;
  for (std::size_t i = 0; i < count; ++i) {
    zip_record record;
    record.central_header = at;
    record.name_length = le16(archive, at + 28);
    record.local_header = le32(archive, at + 42);
    record.data = record.local_header + 30 + le16(archive, record.local_header + local_name_length) +
                  le16(archive, record.local_header + local_extra_length);
    records.push_back(record);
    at += 46 + record.name_length + le16(archive, at + 30) + le16(archive, at + 32);
  }
  return records;
}

void put_le16(byte_string& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<std::uint8_t>(value);
  bytes.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

void put_le32(byte_string& bytes, std::size_t at, std::uint32_t value) {
  put_le16(bytes, at, static_cast<std::uint16_t>(value));
  put_le16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace vantor::testing::fixture
