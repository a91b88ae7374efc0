#include "services/digest.h"

#include <algorithm>
#include <cstring>

#include "services/little_endian.h"

namespace vantor {

namespace {

inline std::uint32_t rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The four rounds, in the forms that need the fewest operations after b
// is known: F = (b & c) | (~b & d) as d ^ (b & (c ^ d)); G (below) split
// in two additions; H = b ^ c ^ d; I = c ^ (b | ~d).
#define VANTOR_MD5_STEP(f, a, b, c, d, x, k, s) \
  (a) += f(b, c, d) + (x) + (k);                \
  (a) = rotate_left(a, s) + (b)
// G's two terms share no bits, so they can be added separately: the term
// without b is ready before b is, which shortens the chain between steps.
#define VANTOR_MD5_STEP_G(a, b, c, d, x, k, s) \
  (a) += ((c) & ~(d)) + (x) + (k);             \
  (a) += (b) & (d);                            \
  (a) = rotate_left(a, s) + (b)
#define VANTOR_F(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define VANTOR_H(b, c, d) ((b) ^ (c) ^ (d))
#define VANTOR_I(b, c, d) ((c) ^ ((b) | ~(d)))

}  // namespace

md5::md5() : state_{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u} {}

void md5::compress_blocks(const std::uint8_t* block, std::size_t count) {
  std::uint32_t a0 = state_[0], b0 = state_[1], c0 = state_[2], d0 = state_[3];
  for (; count > 0; --count, block += 64) {
    std::uint32_t x[16];
    for (std::size_t i = 0; i < 16; ++i) x[i] = load_le32(block + 4 * i);
    std::uint32_t a = a0, b = b0, c = c0, d = d0;

    VANTOR_MD5_STEP(VANTOR_F, a, b, c, d, x[0], 0xd76aa478u, 7);
    VANTOR_MD5_STEP(VANTOR_F, d, a, b, c, x[1], 0xe8c7b756u, 12);
    VANTOR_MD5_STEP(VANTOR_F, c, d, a, b, x[2], 0x242070dbu, 17);
    VANTOR_MD5_STEP(VANTOR_F, b, c, d, a, x[3], 0xc1bdceeeu, 22);
    VANTOR_MD5_STEP(VANTOR_F, a, b, c, d, x[4], 0xf57c0fafu, 7);
    VANTOR_MD5_STEP(VANTOR_F, d, a, b, c, x[5], 0x4787c62au, 12);
    VANTOR_MD5_STEP(VANTOR_F, c, d, a, b, x[6], 0xa8304613u, 17);
    VANTOR_MD5_STEP(VANTOR_F, b, c, d, a, x[7], 0xfd469501u, 22);
    VANTOR_MD5_STEP(VANTOR_F, a, b, c, d, x[8], 0x698098d8u, 7);
    VANTOR_MD5_STEP(VANTOR_F, d, a, b, c, x[9], 0x8b44f7afu, 12);
    VANTOR_MD5_STEP(VANTOR_F, c, d, a, b, x[10], 0xffff5bb1u, 17);
    VANTOR_MD5_STEP(VANTOR_F, b, c, d, a, x[11], 0x895cd7beu, 22);
    VANTOR_MD5_STEP(VANTOR_F, a, b, c, d, x[12], 0x6b901122u, 7);
    VANTOR_MD5_STEP(VANTOR_F, d, a, b, c, x[13], 0xfd987193u, 12);
    VANTOR_MD5_STEP(VANTOR_F, c, d, a, b, x[14], 0xa679438eu, 17);
    VANTOR_MD5_STEP(VANTOR_F, b, c, d, a, x[15], 0x49b40821u, 22);

    VANTOR_MD5_STEP_G(a, b, c, d, x[1], 0xf61e2562u, 5);
    VANTOR_MD5_STEP_G(d, a, b, c, x[6], 0xc040b340u, 9);
    VANTOR_MD5_STEP_G(c, d, a, b, x[11], 0x265e5a51u, 14);
    VANTOR_MD5_STEP_G(b, c, d, a, x[0], 0xe9b6c7aau, 20);
    VANTOR_MD5_STEP_G(a, b, c, d, x[5], 0xd62f105du, 5);
    VANTOR_MD5_STEP_G(d, a, b, c, x[10], 0x02441453u, 9);
    VANTOR_MD5_STEP_G(c, d, a, b, x[15], 0xd8a1e681u, 14);
    VANTOR_MD5_STEP_G(b, c, d, a, x[4], 0xe7d3fbc8u, 20);
    VANTOR_MD5_STEP_G(a, b, c, d, x[9], 0x21e1cde6u, 5);
    VANTOR_MD5_STEP_G(d, a, b, c, x[14], 0xc33707d6u, 9);
    VANTOR_MD5_STEP_G(c, d, a, b, x[3], 0xf4d50d87u, 14);
    VANTOR_MD5_STEP_G(b, c, d, a, x[8], 0x455a14edu, 20);
    VANTOR_MD5_STEP_G(a, b, c, d, x[13], 0xa9e3e905u, 5);
    VANTOR_MD5_STEP_G(d, a, b, c, x[2], 0xfcefa3f8u, 9);
    VANTOR_MD5_STEP_G(c, d, a, b, x[7], 0x676f02d9u, 14);
    VANTOR_MD5_STEP_G(b, c, d, a, x[12], 0x8d2a4c8au, 20);

    VANTOR_MD5_STEP(VANTOR_H, a, b, c, d, x[5], 0xfffa3942u, 4);
    VANTOR_MD5_STEP(VANTOR_H, d, a, b, c, x[8], 0x8771f681u, 11);
    VANTOR_MD5_STEP(VANTOR_H, c, d, a, b, x[11], 0x6d9d6122u, 16);
    VANTOR_MD5_STEP(VANTOR_H, b, c, d, a, x[14], 0xfde5380cu, 23);
    VANTOR_MD5_STEP(VANTOR_H, a, b, c, d, x[1], 0xa4beea44u, 4);
    VANTOR_MD5_STEP(VANTOR_H, d, a, b, c, x[4], 0x4bdecfa9u, 11);
    VANTOR_MD5_STEP(VANTOR_H, c, d, a, b, x[7], 0xf6bb4b60u, 16);
    VANTOR_MD5_STEP(VANTOR_H, b, c, d, a, x[10], 0xbebfbc70u, 23);
    VANTOR_MD5_STEP(VANTOR_H, a, b, c, d, x[13], 0x289b7ec6u, 4);
    VANTOR_MD5_STEP(VANTOR_H, d, a, b, c, x[0], 0xeaa127fau, 11);
    VANTOR_MD5_STEP(VANTOR_H, c, d, a, b, x[3], 0xd4ef3085u, 16);
    VANTOR_MD5_STEP(VANTOR_H, b, c, d, a, x[6], 0x04881d05u, 23);
    VANTOR_MD5_STEP(VANTOR_H, a, b, c, d, x[9], 0xd9d4d039u, 4);
    VANTOR_MD5_STEP(VANTOR_H, d, a, b, c, x[12], 0xe6db99e5u, 11);
    VANTOR_MD5_STEP(VANTOR_H, c, d, a, b, x[15], 0x1fa27cf8u, 16);
    VANTOR_MD5_STEP(VANTOR_H, b, c, d, a, x[2], 0xc4ac5665u, 23);

    VANTOR_MD5_STEP(VANTOR_I, a, b, c, d, x[0], 0xf4292244u, 6);
    VANTOR_MD5_STEP(VANTOR_I, d, a, b, c, x[7], 0x432aff97u, 10);
    VANTOR_MD5_STEP(VANTOR_I, c, d, a, b, x[14], 0xab9423a7u, 15);
    VANTOR_MD5_STEP(VANTOR_I, b, c, d, a, x[5], 0xfc93a039u, 21);
    VANTOR_MD5_STEP(VANTOR_I, a, b, c, d, x[12], 0x655b59c3u, 6);
    VANTOR_MD5_STEP(VANTOR_I, d, a, b, c, x[3], 0x8f0ccc92u, 10);
    VANTOR_MD5_STEP(VANTOR_I, c, d, a, b, x[10], 0xffeff47du, 15);
    VANTOR_MD5_STEP(VANTOR_I, b, c, d, a, x[1], 0x85845dd1u, 21);
    VANTOR_MD5_STEP(VANTOR_I, a, b, c, d, x[8], 0x6fa87e4fu, 6);
    VANTOR_MD5_STEP(VANTOR_I, d, a, b, c, x[15], 0xfe2ce6e0u, 10);
    VANTOR_MD5_STEP(VANTOR_I, c, d, a, b, x[6], 0xa3014314u, 15);
    VANTOR_MD5_STEP(VANTOR_I, b, c, d, a, x[13], 0x4e0811a1u, 21);
    VANTOR_MD5_STEP(VANTOR_I, a, b, c, d, x[4], 0xf7537e82u, 6);
    VANTOR_MD5_STEP(VANTOR_I, d, a, b, c, x[11], 0xbd3af235u, 10);
    VANTOR_MD5_STEP(VANTOR_I, c, d, a, b, x[2], 0x2ad7d2bbu, 15);
    VANTOR_MD5_STEP(VANTOR_I, b, c, d, a, x[9], 0xeb86d391u, 21);

    a0 += a;
    b0 += b;
    c0 += c;
    d0 += d;
  }
  state_ = {a0, b0, c0, d0};
}

#undef VANTOR_MD5_STEP
#undef VANTOR_F
#undef VANTOR_MD5_STEP_G
#undef VANTOR_H
#undef VANTOR_I

void md5::update(byte_view bytes) {
  const std::uint8_t* data = bytes.data();
  std::size_t size = bytes.size();
  length_ += size;
  if (pending_size_ > 0) {
    const std::size_t take = std::min(size, 64 - pending_size_);
    std::memcpy(pending_.data() + pending_size_, data, take);
    pending_size_ += take;
    data += take;
    size -= take;
    if (pending_size_ < 64) return;
    compress_blocks(pending_.data(), 1);
    pending_size_ = 0;
  }
  // Whole blocks straight from the caller's bytes: the input is not copied.
  compress_blocks(data, size / 64);
  data += size / 64 * 64;
  size %= 64;
  if (size > 0) std::memcpy(pending_.data(), data, size);
  pending_size_ = size;
}

std::array<std::uint8_t, 16> md5::finish() {
  const std::uint64_t bit_length = length_ * 8;
  std::array<std::uint8_t, 72> tail{};
  tail[0] = 0x80;
  const std::size_t padding = (pending_size_ < 56 ? 56 : 120) - pending_size_;
  for (int i = 0; i < 8; ++i)
    tail[padding + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bit_length >> (8 * i));
  update(byte_view(tail.data(), padding + 8));

  std::array<std::uint8_t, 16> digest;
  for (std::size_t word = 0; word < 4; ++word)
    for (std::size_t i = 0; i < 4; ++i) digest[4 * word + i] = static_cast<std::uint8_t>(state_[word] >> (8 * i));
  return digest;
}

text hex_text(std::span<const std::uint8_t> digest) {
  static constexpr char digits[] = "0123456789abcdef";
  text out;
  out.reserve(digest.size() * 2);
  for (const auto byte : digest) {
    out += digits[byte >> 4];
    out += digits[byte & 0x0f];
  }
  return out;
}

text md5_text_digest(byte_view bytes) {
  md5 hasher;
  hasher.update(bytes);
  return hex_text(hasher.finish());
}

}  // namespace vantor
