#include <gtest/gtest.h>

#include "services/background_digest.h"
#include "services/digest.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

struct rfc_case {
  const char* message;
  const char* digest;
};

class Md5Rfc1321 : public ::testing::TestWithParam<rfc_case> {};

TEST_P(Md5Rfc1321, MatchesTestSuite) {
  EXPECT_EQ(md5_text_digest(testing::bytes_of(GetParam().message)), GetParam().digest);
}

INSTANTIATE_TEST_SUITE_P(
    TestSuite, Md5Rfc1321,
    ::testing::Values(rfc_case{"", "d41d8cd98f00b204e9800998ecf8427e"},
                      rfc_case{"a", "0cc175b9c0f1b6a831c399e269772661"},
                      rfc_case{"abc", "900150983cd24fb0d6963f7d28e17f72"},
                      rfc_case{"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
                      rfc_case{"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
                      rfc_case{"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                               "d174ab98d277d9f5a5611c2c9f419d9f"},
                      rfc_case{"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
                               "57edf4a22be3c955ac49da2e2107b67a"}));

TEST(Md5, PiecewiseUpdatesGiveTheSameDigest) {
  const byte_string data = testing::random_bytes(1000, 7);
  for (const std::size_t split : {1u, 63u, 64u, 65u, 500u}) {
    md5 hasher;
    hasher.update(byte_view(data).subspan(0, split));
    hasher.update(byte_view(data).subspan(split));
    EXPECT_EQ(hex_text(hasher.finish()), md5_text_digest(data)) << "split at " << split;
  }
}

TEST(BackgroundMd5, GivesTheDigestOfEveryPieceInOrder) {
  const byte_string data = testing::random_bytes(5'000'000, 11);
  background_md5 hasher;
  for (std::size_t at = 0; at < data.size(); at += 300'001) {
    byte_string piece = hasher.take_buffer(std::min<std::size_t>(300'001, data.size() - at));
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), piece.size(), piece.begin());
    hasher.update(std::move(piece));
  }
  EXPECT_EQ(hex_text(hasher.finish()), md5_text_digest(data));
}

TEST(BackgroundMd5, GivesTheDigestForAnyNumberOfPieces) {
  // None, one (hashed without a thread), two (the thread starts), and more
  // than may wait at once.
  for (const std::size_t pieces : {0u, 1u, 2u, 20u}) {
    const byte_string data = testing::random_bytes(pieces * 1000, static_cast<unsigned>(pieces));
    background_md5 hasher;
    for (std::size_t at = 0; at < data.size(); at += 1000) {
      byte_string piece = hasher.take_buffer(1000);
      std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), piece.size(), piece.begin());
      hasher.update(std::move(piece));
    }
    EXPECT_EQ(hex_text(hasher.finish()), md5_text_digest(data)) << pieces << " pieces";
  }
}

TEST(Md5, TextIsLowerCaseWithLeadingZeros) {
  EXPECT_EQ(hex_text(std::array<std::uint8_t, 3>{0x00, 0x0a, 0xf0}), "000af0");
  for (unsigned seed = 0; seed < 50; ++seed) {
    const auto text = md5_text_digest(testing::random_bytes(seed, seed));
    ASSERT_EQ(text.size(), 32u);
    EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace vantor
