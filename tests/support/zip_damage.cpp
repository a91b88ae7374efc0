#include "support/zip_damage.h"

#include <utility>

#include "support/temp_folder.h"

namespace vantor::testing::fixture {

zip_patch for_entry(std::size_t k, std::function<void(byte_string&, const zip_record&)> change) {
  return [k, change = std::move(change)](byte_string& zip) { change(zip, zip_records(zip).at(k)); };
}

zip_patch break_local_signature(std::size_t k) {
  return for_entry(k, [](byte_string& zip, const zip_record& r) { zip[r.local_header] = 'Q'; });
}

zip_patch set_method(std::size_t k, std::uint16_t method) {
  return for_entry(k, [method](byte_string& zip, const zip_record& r) {
    put_le16(zip, r.local_header + local_method, method);
    put_le16(zip, r.central_header + central_method, method);
  });
}

zip_patch set_declared_size(std::size_t k, std::uint32_t size) {
  return for_entry(k, [size](byte_string& zip, const zip_record& r) {
    put_le32(zip, r.local_header + local_size, size);
    put_le32(zip, r.central_header + central_size, size);
  });
}

zip_patch wrong_checksum(std::size_t k) {
  return for_entry(k, [](byte_string& zip, const zip_record& r) {
    put_le32(zip, r.local_header + local_crc, 0x12345678);
    put_le32(zip, r.central_header + central_crc, 0x12345678);
  });
}

zip_patch break_deflate_data(std::size_t k) {
  // Block type 3 does not exist: inflate fails at once.
  return for_entry(k, [](byte_string& zip, const zip_record& r) { zip[r.data] = 0xFF; });
}

zip_patch extra_field_past_the_end(std::size_t k) {
  return for_entry(
      k, [](byte_string& zip, const zip_record& r) { put_le16(zip, r.local_header + local_extra_length, 0xFFFF); });
}

zip_patch set_extended_time(std::size_t k, std::uint32_t value) {
  // The block starts the local extra field: tag, size, flags, then the times.
  return for_entry(k, [value](byte_string& zip, const zip_record& r) {
    put_le32(zip, r.local_header + 30 + r.name_length + 5, value);
  });
}

zip_patch encrypt(std::size_t k) {
  return for_entry(k, [](byte_string& zip, const zip_record& r) {
    zip[r.local_header + 6] |= 1;
    zip[r.central_header + 8] |= 1;
  });
}

void nameless_first_entry(byte_string& zip) { put_le16(zip, local_name_length, 0); }

void cut_central_directory(byte_string& zip) { zip.resize(central_directory_offset(zip)); }

void cut_in_half(byte_string& zip) { zip.resize(zip.size() / 2); }

void huge_declared_sizes(byte_string& zip) {
  for (const zip_record& r : zip_records(zip)) {
    put_le32(zip, r.local_header + local_size, 0xFFFFFFF0u);
    put_le32(zip, r.central_header + central_size, 0xFFFFFFF0u);
  }
}

void patch_file(const std::string& path, const zip_patch& change) {
  byte_string bytes = file_bytes(path);
  change(bytes);
  put_file(path, bytes);
}

}  // namespace vantor::testing::fixture
