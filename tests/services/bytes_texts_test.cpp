#include <gtest/gtest.h>

#include "services/bytes.h"
#include "services/texts.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;

TEST(ToText, NumberRules) {
  EXPECT_EQ(to_text(std::int32_t{-5}), "-5");
  EXPECT_EQ(to_text(std::int32_t{17061}), "17061");
  EXPECT_EQ(to_text(17100.0), "17100");
  EXPECT_EQ(to_text(0.5), "0.5");
  EXPECT_EQ(to_text(1e13), "1e+13");
  EXPECT_EQ(to_text(1234567890123.0), "1234567890123");
  EXPECT_EQ(to_text(0.0001), "0.0001");
  EXPECT_EQ(to_text(0.00001), "1e-05");
}

TEST(ToText, ByteStringStopsAtZero) {
  EXPECT_EQ(to_text(byte_string{0x41, 0x42, 0x00, 0x43}), "AB");
  EXPECT_EQ(to_text(byte_string{0x00, 0x41}), "");
  EXPECT_EQ(to_text(byte_string{}), "");
}

TEST(JoinTexts, JoinsInOrder) {
  EXPECT_EQ(join_texts({"", ""}), "");
  EXPECT_EQ(join_texts({"a", "", "bc"}), "abc");
}

struct decode_case {
  const char* name;
  std::string input;
  std::string expected;
  friend void PrintTo(const decode_case& c, std::ostream* os) { *os << c.name; }
};

class DecodeDescription : public ::testing::TestWithParam<decode_case> {};

TEST_P(DecodeDescription, GivesUtf8) { EXPECT_EQ(decode_description(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Table, DecodeDescription,
                         ::testing::Values(decode_case{"ascii", "v0.4 notes\r\n", "v0.4 notes\r\n"},
                                           decode_case{"utf8", "动画信息", "动画信息"},
                                           decode_case{"utf8_bom", "\xEF\xBB\xBF动画", "动画"},
                                           decode_case{"gbk", "\xB6\xAF\xBB\xAD\xD0\xC5\xCF\xA2", "动画信息"},
                                           decode_case{"gbk_with_ascii", "v0.4\xCB\xB5\xC3\xF7", "v0.4说明"},
                                           decode_case{"gbk_cut_short", "\xB6\xAF\xBB", "动\xEF\xBF\xBD"},
                                           decode_case{"undecodable", "\xFF", "\xEF\xBF\xBD"},
                                           decode_case{"empty", "", ""}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
