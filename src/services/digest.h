#pragma once
// MD5 (RFC 1321) and its text form.

#include <array>
#include <cstdint>
#include <span>

#include "services/bytes.h"
#include "services/values.h"

namespace vantor {

/// Incremental MD5: feed any number of pieces, then take the digest once.
class md5 {
 public:
  md5();
  void update(byte_view bytes);
  std::array<std::uint8_t, 16> finish();

 private:
  void compress_blocks(const std::uint8_t* blocks, std::size_t count);
  std::array<std::uint32_t, 4> state_;
  std::uint64_t length_ = 0;  // in bytes
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pending_size_ = 0;
};

/// 32 lower-case hexadecimal digits of the MD5 digest of bytes.
text md5_text_digest(byte_view bytes);
inline text md5_text_digest(const byte_string& bytes) { return md5_text_digest(byte_view(bytes)); }

/// Lower-case hexadecimal text of any digest.
text hex_text(std::span<const std::uint8_t> digest);

}  // namespace vantor
