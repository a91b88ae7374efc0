#include <gtest/gtest.h>

#include "services/bytes.h"
#include "services/texts.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using namespace std::string_literals;

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

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeDescription,
    ::testing::Values(decode_case{"ascii", "v0.4 notes\r\n", "v0.4 notes\r\n"},
                      decode_case{"utf8", "动画信息", "动画信息"}, decode_case{"utf8_bom", "\xEF\xBB\xBF动画", "动画"},
                      decode_case{"gbk", "\xB6\xAF\xBB\xAD\xD0\xC5\xCF\xA2", "动画信息"},
                      decode_case{"gbk_with_ascii", "v0.4\xCB\xB5\xC3\xF7", "v0.4说明"},
                      decode_case{"gbk_cut_short", "\xB6\xAF\xBB", "动\xEF\xBF\xBD"},
                      decode_case{"undecodable", "\xFF", "\xEF\xBF\xBD"}, decode_case{"empty", "", ""},
                      // The text ends at its first zero byte, or with a
                      // UTF-16 byte-order mark at its first U+0000.
                      decode_case{"gbk_up_to_zero", "\xB6\xAF\0\xBB\xAD"s, "动"},
                      decode_case{"utf8_bom_only", "\xEF\xBB\xBF", ""},
                      decode_case{"utf16le_bom", "\xFF\xFE\xA8\x52\x3B\x75\r\0\n\0v\0"s, "动画\r\nv"},
                      decode_case{"utf16be_bom", "\xFE\xFF\x52\xA8\x75\x3B\0\r\0\n\0v"s, "动画\r\nv"},
                      decode_case{"utf16le_bom_only", "\xFF\xFE", ""}, decode_case{"utf16be_bom_only", "\xFE\xFF", ""},
                      decode_case{"utf16_pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},
                      decode_case{"utf16_odd_length", "\xFF\xFE\xA8\x52\x41", "动\xEF\xBF\xBD"},
                      decode_case{"utf16_high_surrogate_last", "\xFF\xFE\x41\0\x3D\xD8"s, "A\xEF\xBF\xBD"},
                      decode_case{"utf16_high_surrogate_then_letter", "\xFF\xFE\x3D\xD8\x41\0"s,
                                  "\xEF\xBF\xBD"
                                  "A"},
                      decode_case{"utf16_low_surrogate_alone", "\xFF\xFE\x00\xDE\x41\0"s,
                                  "\xEF\xBF\xBD"
                                  "A"},
                      decode_case{"utf16_high_surrogate_odd_end", "\xFF\xFE\x3D\xD8\x41"s, "\xEF\xBF\xBD\xEF\xBF\xBD"},
                      decode_case{"utf16_up_to_zero", "\xFF\xFE\x41\0\0\0\x42\0"s, "A"},
                      decode_case{"utf16_bom_twice", "\xFF\xFE\xFF\xFE\x41\0"s,
                                  "\xEF\xBB\xBF"
                                  "A"}),
    [](const auto& row) { return std::string(row.param.name); });

struct gbk_case {
  const char* name;
  std::string input;
  std::string gbk;      // what is stored
  std::string missing;  // the first character GBK cannot hold
  friend void PrintTo(const gbk_case& c, std::ostream* os) { *os << c.name; }
};

class DescriptionInGbk : public ::testing::TestWithParam<gbk_case> {};

TEST_P(DescriptionInGbk, StoresWhatTheWindowReads) {
  const gbk_description made = description_in_gbk(GetParam().input);
  EXPECT_EQ(made.missing_character, GetParam().missing);
  if (GetParam().missing.empty()) {
    EXPECT_EQ(std::string(made.bytes.begin(), made.bytes.end()), GetParam().gbk);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DescriptionInGbk,
    ::testing::Values(gbk_case{"utf8", "动画\r\nv2", "\xB6\xAF\xBB\xAD\r\nv2", ""},
                      gbk_case{"utf8_bom", "\xEF\xBB\xBF动画", "\xB6\xAF\xBB\xAD", ""},
                      gbk_case{"gbk_as_it_is", "v0.4\xCB\xB5\xC3\xF7", "v0.4\xCB\xB5\xC3\xF7", ""},
                      gbk_case{"utf16_little_endian", std::string("\xFF\xFE\xA8\x52\x3B\x75\x41\x00", 8),
                               "\xB6\xAF\xBB\xAD"
                               "A",
                               ""},
                      gbk_case{"utf16_big_endian", std::string("\xFE\xFF\x52\xA8\x75\x3B", 6), "\xB6\xAF\xBB\xAD", ""},
                      gbk_case{"euro_sign_of_code_page_936", "€", "\x80", ""},
                      gbk_case{"emoji", "新 \xF0\x9F\x98\x80 帧", "", "\xF0\x9F\x98\x80"},
                      gbk_case{"utf16_emoji", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "", "\xF0\x9F\x98\x80"},
                      gbk_case{"undecodable_bytes", "\xFF", "", "\xEF\xBF\xBD"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
