#pragma once
// Damage done by hand to an archive's bytes, one kind of break each, for the
// tests of the reader, the extraction and the upgrade that meet them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "support/zip_fixture.h"

namespace vantor::testing::fixture {

/// A change made to the bytes of a written archive.
using zip_patch = std::function<void(byte_string&)>;

/// A change to the records of entry k (counting from 0).
zip_patch for_entry(std::size_t k, std::function<void(byte_string&, const zip_record&)> change);

/// Entry k's local header loses its signature.
zip_patch break_local_signature(std::size_t k);
/// Entry k declares the method in both its records.
zip_patch set_method(std::size_t k, std::uint16_t method);
/// Entry k declares the size in both its records.
zip_patch set_declared_size(std::size_t k, std::uint32_t size);
/// Entry k declares a CRC-32 its data does not have, in both its records.
zip_patch wrong_checksum(std::size_t k);
/// Entry k's deflated data starts with a block type that does not exist.
zip_patch break_deflate_data(std::size_t k);
/// Entry k's local extra field runs past the end of the archive.
zip_patch extra_field_past_the_end(std::size_t k);
/// Entry k's local extra field, an extended time stamp first, gets the
/// modification time value.
zip_patch set_extended_time(std::size_t k, std::uint32_t value);
/// Entry k is flagged as encrypted in both its records.
zip_patch encrypt(std::size_t k);

/// The first local header's name length becomes 0.
void nameless_first_entry(byte_string& zip);
/// The archive ends where its central directory starts.
void cut_central_directory(byte_string& zip);
/// The archive loses its second half.
void cut_in_half(byte_string& zip);
/// Every entry declares nearly 4 GB: far more than any disk holds together.
void huge_declared_sizes(byte_string& zip);

/// Applies the change to the archive file at path.
void patch_file(const std::string& path, const zip_patch& change);

}  // namespace vantor::testing::fixture
