#include "support/zip_shape.h"

#include <cstdint>
#include <vector>

#include "services/little_endian.h"

namespace vantor::testing::fixture {

namespace {

constexpr std::uint32_t all_ones = 0xFFFFFFFF;

void add16(byte_string& out, std::uint16_t value) {
  out.resize(out.size() + 2);
  put_le16(out, out.size() - 2, value);
}
void add32(byte_string& out, std::uint32_t value) {
  out.resize(out.size() + 4);
  put_le32(out, out.size() - 4, value);
}
void add64(byte_string& out, std::uint64_t value) {
  add32(out, static_cast<std::uint32_t>(value));
  add32(out, static_cast<std::uint32_t>(value >> 32));
}
void add_bytes(byte_string& out, const byte_string& from, std::size_t at, std::size_t size) {
  out.insert(out.end(), from.begin() + static_cast<std::ptrdiff_t>(at),
             from.begin() + static_cast<std::ptrdiff_t>(at + size));
}
// The ZIP64 extra block holding the values, in order.
void add_zip64_block(byte_string& out, const std::vector<std::uint64_t>& values) {
  add16(out, 0x0001);
  add16(out, static_cast<std::uint16_t>(8 * values.size()));
  for (const std::uint64_t value : values) add64(out, value);
}
// Filler that holds no ZIP signature ("PK").
void add_filler(byte_string& out, std::size_t size, std::uint8_t fill) { out.insert(out.end(), size, fill); }

byte_string reshaped(const byte_string& zip, const zip_shape& shape) {
  const std::vector<zip_record> records = zip_records(zip);
  const std::size_t directory = central_directory_offset(zip);
  byte_string out;
  add_filler(out, shape.prefix, 'M');
  const std::size_t base = shape.offsets_from_file ? 0 : shape.prefix;

  std::vector<std::uint32_t> offsets;
  for (std::size_t k = 0; k < records.size(); ++k) {
    const zip_record& r = records[k];
    offsets.push_back(static_cast<std::uint32_t>(out.size() - base));
    const std::size_t name_length = load_le16(&zip[r.local_header + local_name_length]);
    const std::size_t extra_length = load_le16(&zip[r.local_header + local_extra_length]);
    const std::size_t header_end = r.local_header + 30 + name_length;
    const std::size_t next = k + 1 < records.size() ? records[k + 1].local_header : directory;
    const std::size_t header_at = out.size();
    add_bytes(out, zip, r.local_header, 30 + name_length + extra_length);
    if (shape.zip64_local) {
      const std::uint32_t compressed = load_le32(&zip[r.local_header + 18]);
      const std::uint32_t uncompressed = load_le32(&zip[r.local_header + local_size]);
      put_le16(out, header_at + 4, 45);
      put_le32(out, header_at + 18, all_ones);
      put_le32(out, header_at + local_size, all_ones);
      put_le16(out, header_at + local_extra_length, static_cast<std::uint16_t>(extra_length + 20));
      add_zip64_block(out, {uncompressed, compressed});
    }
    add_bytes(out, zip, header_end + extra_length, next - header_end - extra_length);
  }

  const std::size_t directory_at = out.size();
  for (std::size_t k = 0; k < records.size(); ++k) {
    const zip_record& r = records[k];
    const std::size_t at = r.central_header;
    const std::size_t extra_length = load_le16(&zip[at + 30]), comment_length = load_le16(&zip[at + 32]);
    const std::size_t header_at = out.size();
    add_bytes(out, zip, at, 46 + r.name_length + extra_length);
    put_le32(out, header_at + 42, offsets[k]);
    std::vector<std::uint64_t> values;
    if (shape.zip64_sizes) {
      values.push_back(load_le32(&zip[at + central_size]));
      values.push_back(load_le32(&zip[at + 20]));
      put_le32(out, header_at + central_size, all_ones);
      put_le32(out, header_at + 20, all_ones);
    }
    if (shape.zip64_offsets) {
      values.push_back(offsets[k]);
      put_le32(out, header_at + 42, all_ones);
    }
    if (!values.empty()) {
      put_le16(out, header_at + 6, 45);
      put_le16(out, header_at + 30, static_cast<std::uint16_t>(extra_length + 4 + 8 * values.size()));
      add_zip64_block(out, values);
    }
    add_bytes(out, zip, at + 46 + r.name_length + extra_length, comment_length);
  }
  const std::size_t directory_size = out.size() - directory_at;

  const auto count = static_cast<std::uint16_t>(records.size());
  if (shape.zip64_end) {
    const std::size_t zip64_at = out.size();
    add32(out, shape.zip64_end_lost ? 0x06064B00 : 0x06064B50);
    add64(out, 44);
    add16(out, 45);
    add16(out, 45);
    add32(out, 0);
    add32(out, 0);
    add64(out, records.size());
    add64(out, records.size());
    add64(out, directory_size);
    add64(out, directory_at - base);
    add32(out, 0x07064B50);
    add32(out, 0);
    add64(out, zip64_at - base);
    add32(out, 1);
  }
  add32(out, 0x06054B50);
  add16(out, 0);
  add16(out, 0);
  add16(out, shape.zip64_end ? 0xFFFF : count);
  add16(out, shape.zip64_end ? 0xFFFF : count);
  add32(out, shape.zip64_end ? all_ones : static_cast<std::uint32_t>(directory_size));
  add32(out, shape.zip64_end ? all_ones : static_cast<std::uint32_t>(directory_at - base));
  add16(out, 0);
  add_filler(out, shape.trailing, 't');
  for (int k = 0; shape.trailing_end_records && k < 3; ++k) {
    add32(out, 0x06054B50);
    add_filler(out, 18, 0);
  }
  return out;
}

}  // namespace

zip_patch reshape(zip_shape shape) {
  return [shape](byte_string& zip) { zip = reshaped(zip, shape); };
}

}  // namespace vantor::testing::fixture
