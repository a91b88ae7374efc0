#include <gtest/gtest.h>

#include "services/bytes.h"
#include "services/texts.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;

TEST(LeftBytes, CountsAreClamped) {
  const byte_string data = bytes_of("abcdef");
  EXPECT_EQ(left_bytes(data, 3), bytes_of("abc"));
  EXPECT_EQ(left_bytes(data, 100), data);
  EXPECT_TRUE(left_bytes(data, 0).empty());
  EXPECT_TRUE(left_bytes(data, -4).empty());
  EXPECT_TRUE(left_bytes({}, 5).empty());
}

TEST(JoinBytes, EmptyPiecesAddNothing) {
  const byte_string empty, abc = bytes_of("abc");
  EXPECT_TRUE(join_bytes({empty, empty}).empty());
  EXPECT_EQ(join_bytes({empty, abc}), abc);
  EXPECT_EQ(join_bytes({abc, bytes_of(std::string_view("\0d", 2))}), bytes_of(std::string_view("abc\0d", 5)));
}

struct value_case {
  std::vector<std::uint8_t> data;
  std::int32_t position;
  std::int32_t expected;  friend void PrintTo(const value_case& c, std::ostream* os) { *os << "position " << c.position << " of " << c.data.size() << " bytes"; }
};

class ReadValueAt : public ::testing::TestWithParam<value_case> {};

TEST_P(ReadValueAt, ReadsLittleEndianWithZeroExtension) {
  const auto& c = GetParam();
  EXPECT_EQ(to_integer_value(read_value_at(c.data, value_kind::int32, c.position)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ReadValueAt,
                         ::testing::Values(value_case{{0x27, 0, 0, 0}, 1, 39},
                                           value_case{{0xFF, 0xFF, 0xFF, 0xFF}, 1, -1},
                                           value_case{{0x27, 0, 0, 0}, 0, 0},
                                           value_case{{0x27, 0, 0, 0}, -3, 0},
                                           value_case{{0x27, 0, 0, 0}, 5, 0},
                                           value_case{{0x01, 0x02}, 1, 513},
                                           value_case{{9, 9, 0x10, 0x27, 0, 0}, 3, 10000},
                                           value_case{{}, 1, 0}));

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
  std::string expected;  friend void PrintTo(const decode_case& c, std::ostream* os) { *os << c.name; }
};

class DecodeDescription : public ::testing::TestWithParam<decode_case> {};

TEST_P(DecodeDescription, GivesUtf8) { EXPECT_EQ(decode_description(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeDescription,
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
