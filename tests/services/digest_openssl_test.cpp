// Our MD5 against OpenSSL's, on Linux where OpenSSL is at hand.

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "services/digest.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

std::string openssl_md5(const byte_string& data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr);
  return hex_text(std::span<const std::uint8_t>(digest, length));
}

TEST(Md5, AgreesWithOpenSslAtAwkwardLengths) {
  for (const std::size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 11908599u}) {
    const byte_string data = testing::random_bytes(length, static_cast<unsigned>(length));
    EXPECT_EQ(md5_text_digest(data), openssl_md5(data)) << length << " bytes";
  }
}

}  // namespace
}  // namespace vantor
