#include "support/zip_fixture.h"

#include <stdexcept>

#include "services/little_endian.h"

namespace vantor::testing::fixture {

namespace {

std::uint32_t le32(const byte_string& bytes, std::size_t at) { return load_le32(&bytes.at(at + 3) - 3); }

std::uint16_t le16(const byte_string& bytes, std::size_t at) { return load_le16(&bytes.at(at + 1) - 1); }

std::size_t end_record(const byte_string& archive) {
  if (archive.size() < 22) throw std::runtime_error("not an archive");
  for (std::size_t at = archive.size() - 22;; --at) {
    if (le32(archive, at) == 0x06054B50) return at;
    if (at == 0) throw std::runtime_error("no end-of-directory record");
  }
}

}  // namespace

void write_zip(const std::string& path, const std::vector<zip_item>& items) {
  if (!write_zip_archive(path, items)) throw std::runtime_error("cannot write " + path);
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

void put_le16(byte_string& bytes, std::size_t at, std::uint16_t value) { store_le16(&bytes.at(at + 1) - 1, value); }

void put_le32(byte_string& bytes, std::size_t at, std::uint32_t value) { store_le32(&bytes.at(at + 3) - 3, value); }

}  // namespace vantor::testing::fixture
