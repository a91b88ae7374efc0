#include "services/archive/zip_directory.h"

#include <algorithm>
#include <vector>

#include "services/little_endian.h"

namespace vantor {

namespace {

constexpr std::uint32_t end_signature = 0x06054B50;
constexpr std::uint32_t zip64_end_signature = 0x06064B50;
constexpr std::uint32_t zip64_locator_signature = 0x07064B50;
constexpr std::uint32_t directory_signature = 0x02014B50;
constexpr std::size_t end_size = 22, zip64_end_size = 56, locator_size = 20, record_size = 46, local_size = 30;
constexpr std::size_t longest_comment = 0xFFFF;
constexpr std::uint32_t all_ones32 = 0xFFFFFFFF;
constexpr std::uint16_t all_ones16 = 0xFFFF;
constexpr std::uint16_t zip64_tag = 0x0001;

std::uint64_t load_le64(const std::uint8_t* bytes) {
  return static_cast<std::uint64_t>(load_le32(bytes)) | static_cast<std::uint64_t>(load_le32(bytes + 4)) << 32;
}

bool read_at(archive_stream& stream, std::int64_t at, byte_string& out) {
  stream.seek(at);
  return stream.read(out.data(), out.size()) == out.size();
}

// What the end records say of the directory.
struct directory_place {
  std::uint64_t entries = 0;
  std::uint64_t size = 0;
  std::uint64_t offset = 0;  // as declared, from the start of the ZIP
  std::int64_t end = 0;      // where the directory ends in the file
};

// The end record at `at` (its 22 bytes in `end`), or the ZIP64 end record
// when its locator stands right before it.
std::optional<directory_place> place_of(archive_stream& stream, std::int64_t at, const std::uint8_t* end) {
  byte_string locator(locator_size);
  const auto locator_at = at - static_cast<std::int64_t>(locator_size);
  if (locator_at < 0 || !read_at(stream, locator_at, locator) || load_le32(locator.data()) != zip64_locator_signature) {
    if (load_le16(end + 4) != 0 || load_le16(end + 6) != 0 || load_le16(end + 8) != load_le16(end + 10))
      return std::nullopt;  // another disk
    return directory_place{load_le16(end + 10), load_le32(end + 12), load_le32(end + 16), at};
  }

  // The locator's offset counts from the start of the ZIP; behind a prefix
  // the record is found right before the locator instead.
  byte_string record(zip64_end_size);
  const std::int64_t last_start = locator_at - static_cast<std::int64_t>(zip64_end_size);
  const std::uint64_t declared = load_le64(locator.data() + 8);
  const std::int64_t where_declared =
      last_start >= 0 && declared <= static_cast<std::uint64_t>(last_start) ? static_cast<std::int64_t>(declared) : -1;
  for (const std::int64_t candidate : {where_declared, last_start}) {
    if (candidate < 0) continue;
    if (!read_at(stream, candidate, record) || load_le32(record.data()) != zip64_end_signature) continue;
    // Its size field counts what follows the first 12 bytes.
    if (load_le64(record.data() + 4) != static_cast<std::uint64_t>(locator_at - candidate - 12)) continue;
    if (load_le32(record.data() + 16) != 0 || load_le32(record.data() + 20) != 0 ||
        load_le64(record.data() + 24) != load_le64(record.data() + 32))
      return std::nullopt;  // another disk
    return directory_place{load_le64(record.data() + 32), load_le64(record.data() + 40), load_le64(record.data() + 48),
                           candidate};
  }
  return std::nullopt;
}

// One entry's directory record.
struct record {
  const std::uint8_t* fixed = nullptr;  // the 46 bytes
  const std::uint8_t* name = nullptr;
  std::uint16_t name_length = 0;
  std::uint64_t compressed = 0;
  std::uint64_t uncompressed = 0;
  std::uint64_t local_header = 0;
};

// The ZIP64 block of an extra field gives, in this order, the values whose
// 32-bit fields are all ones.
bool apply_zip64(const std::uint8_t* extra, std::size_t size, record& r) {
  const bool wants_uncompressed = r.uncompressed == all_ones32, wants_compressed = r.compressed == all_ones32,
             wants_offset = r.local_header == all_ones32;
  if (!wants_uncompressed && !wants_compressed && !wants_offset) return true;
  std::size_t at = 0;
  while (at + 4 <= size) {
    const std::uint16_t tag = load_le16(extra + at);
    const std::size_t length = load_le16(extra + at + 2);
    if (at + 4 + length > size) break;
    if (tag == zip64_tag) {
      std::size_t value = at + 4;
      const std::size_t value_end = value + length;
      for (auto [wanted, field] :
           {std::pair{wants_uncompressed, &r.uncompressed}, std::pair{wants_compressed, &r.compressed},
            std::pair{wants_offset, &r.local_header}}) {
        if (!wanted) continue;
        if (value_end - value < 8) return false;
        *field = load_le64(extra + value);
        value += 8;
      }
      return true;
    }
    at += 4 + length;
  }
  return false;
}

void put16(byte_string& out, std::uint16_t value) {
  const std::size_t at = out.size();
  out.resize(at + 2);
  store_le16(out.data() + at, value);
}
void put32(byte_string& out, std::uint32_t value) {
  const std::size_t at = out.size();
  out.resize(at + 4);
  store_le32(out.data() + at, value);
}
void put64(byte_string& out, std::uint64_t value) {
  const std::size_t at = out.size();
  out.resize(at + 8);
  store_le64(out.data() + at, value);
}
std::uint32_t field32(std::uint64_t value) {
  return value >= all_ones32 ? all_ones32 : static_cast<std::uint32_t>(value);
}

void write_record(byte_string& out, const record& r) {
  byte_string zip64;
  for (const std::uint64_t value : {r.uncompressed, r.compressed, r.local_header})
    if (value >= all_ones32) put64(zip64, value);
  const std::uint8_t* f = r.fixed;
  put32(out, directory_signature);
  out.insert(out.end(), f + 4, f + 16);  // made by, needed, flags, method, time, date
  put32(out, load_le32(f + 16));         // CRC-32
  put32(out, field32(r.compressed));
  put32(out, field32(r.uncompressed));
  put16(out, r.name_length);
  put16(out, static_cast<std::uint16_t>(zip64.empty() ? 0 : zip64.size() + 4));
  put16(out, 0);                          // comment
  put16(out, 0);                          // disk
  out.insert(out.end(), f + 36, f + 42);  // internal and external attributes
  put32(out, field32(r.local_header));
  out.insert(out.end(), r.name, r.name + r.name_length);
  if (!zip64.empty()) {
    put16(out, zip64_tag);
    put16(out, static_cast<std::uint16_t>(zip64.size()));
    out.insert(out.end(), zip64.begin(), zip64.end());
  }
}

void write_end_records(byte_string& out, std::uint64_t entries, std::int64_t directory_at) {
  const std::uint64_t size = out.size();
  const auto zip64_at = static_cast<std::uint64_t>(directory_at) + size;
  put32(out, zip64_end_signature);
  put64(out, zip64_end_size - 12);
  put16(out, 45);
  put16(out, 45);
  put32(out, 0);
  put32(out, 0);
  put64(out, entries);
  put64(out, entries);
  put64(out, size);
  put64(out, static_cast<std::uint64_t>(directory_at));
  put32(out, zip64_locator_signature);
  put32(out, 0);
  put64(out, zip64_at);
  put32(out, 1);
  put32(out, end_signature);
  put16(out, 0);
  put16(out, 0);
  put16(out, all_ones16);
  put16(out, all_ones16);
  put32(out, all_ones32);
  put32(out, all_ones32);
  put16(out, 0);
}

std::optional<plain_directory> directory_from(archive_stream& stream, const directory_place& place) {
  if (place.size > static_cast<std::uint64_t>(place.end)) return std::nullopt;
  const std::int64_t start = place.end - static_cast<std::int64_t>(place.size);
  // Bytes before the ZIP: minizip's correction, where the directory stands
  // less where it says it starts.
  if (place.offset > static_cast<std::uint64_t>(start)) return std::nullopt;
  const std::uint64_t prefix = static_cast<std::uint64_t>(start) - place.offset;
  if (place.entries > place.size / record_size) return std::nullopt;

  byte_string directory(place.size);
  if (!read_at(stream, start, directory)) return std::nullopt;
  plain_directory plain;
  plain.kept = start;
  plain.entries = place.entries;
  plain.records.reserve(directory.size() + zip64_end_size + locator_size + end_size);
  std::size_t at = 0;
  for (std::uint64_t k = 0; k < place.entries; ++k) {
    if (at + record_size > directory.size()) return std::nullopt;
    const std::uint8_t* fixed = directory.data() + at;
    if (load_le32(fixed) != directory_signature) return std::nullopt;
    record r;
    r.fixed = fixed;
    r.name = fixed + record_size;
    r.name_length = load_le16(fixed + 28);
    const std::size_t extra_length = load_le16(fixed + 30), comment_length = load_le16(fixed + 32);
    const std::size_t length = record_size + r.name_length + extra_length + comment_length;
    if (at + length > directory.size()) return std::nullopt;
    r.compressed = load_le32(fixed + 20);
    r.uncompressed = load_le32(fixed + 24);
    r.local_header = load_le32(fixed + 42);
    if (!apply_zip64(r.name + r.name_length, extra_length, r)) return std::nullopt;
    // Every local header lies before the directory.
    if (r.local_header > place.offset || place.offset - r.local_header < local_size) return std::nullopt;
    r.local_header += prefix;
    write_record(plain.records, r);
    at += length;
  }
  // A record after the declared ones: an end record that undercounts.
  if (at + 4 <= directory.size() && load_le32(directory.data() + at) == directory_signature) return std::nullopt;
  write_end_records(plain.records, place.entries, start);
  return plain;
}

}  // namespace

std::optional<plain_directory> read_plain_directory(archive_stream& stream) {
  const std::int64_t size = stream.size();
  if (size < static_cast<std::int64_t>(end_size)) return std::nullopt;
  const auto tail_size = static_cast<std::size_t>(std::min<std::int64_t>(size, end_size + longest_comment));
  const std::int64_t tail_at = size - static_cast<std::int64_t>(tail_size);
  byte_string tail(tail_size);
  if (!read_at(stream, tail_at, tail)) return std::nullopt;
  // The last end record that leads to a directory: trailing bytes may
  // follow it, and may even hold its signature. A few are tried, so that
  // bytes full of false end records cost little.
  constexpr int most_tried = 4;
  int tried = 0;
  for (std::size_t k = tail_size - end_size + 1; k-- > 0 && tried < most_tried;) {
    if (load_le32(tail.data() + k) != end_signature) continue;
    const std::int64_t at = tail_at + static_cast<std::int64_t>(k);
    const auto place = place_of(stream, at, tail.data() + k);
    if (!place || place->entries == 0) continue;  // an archive of nothing is no model package
    ++tried;
    if (auto plain = directory_from(stream, *place)) return plain;
  }
  return std::nullopt;
}

}  // namespace vantor
