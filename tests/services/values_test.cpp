#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "services/values.h"

namespace vantor {
namespace {

struct compare_case {
  const char* a;
  const char* b;
  int expected;
  friend void PrintTo(const compare_case& c, std::ostream* os) { *os << '"' << c.a << "\" vs \"" << c.b << '"'; }
};

class CompareTexts : public ::testing::TestWithParam<compare_case> {};

TEST_P(CompareTexts, ComparesBytesUnsigned) {
  const auto& c = GetParam();
  EXPECT_EQ(compare_texts(c.a, c.b), c.expected) << '"' << c.a << "\" vs \"" << c.b << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, CompareTexts,
    ::testing::Values(compare_case{"", "", 0}, compare_case{"", "a", -1}, compare_case{"a", "", 1},
                      compare_case{"a", "b", -1}, compare_case{"ab", "a", 1}, compare_case{"A", "a", -1},
                      compare_case{"\xB0", "A", 1},  // GBK lead byte above ASCII
                      compare_case{"98dcc63299001defdf33e974bb55a06f", "98DCC63299001DEFDF33E974BB55A06F", 1}));

TEST(CompareTexts, StopsAtZeroByte) {
  using namespace std::string_literals;
  EXPECT_EQ(compare_texts("ab\0c"s, "ab\0d"s), 0);
  EXPECT_EQ(compare_texts("ab\0c"s, "ab"), 0);
}

struct integer_case {
  double input;
  std::int32_t expected;
  friend void PrintTo(const integer_case& c, std::ostream* os) { *os << c.input; }
};

class ToInteger : public ::testing::TestWithParam<integer_case> {};

TEST_P(ToInteger, TruncatesAndWraps) {
  EXPECT_EQ(to_integer(GetParam().input), GetParam().expected) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToInteger,
    ::testing::Values(integer_case{2.9, 2}, integer_case{-2.9, -2}, integer_case{-0.5, 0},
                      integer_case{4294967296.0 + 5.5, 5}, integer_case{2147483648.0, -2147483647 - 1},
                      integer_case{1e19, 0}, integer_case{-1e19, 0},
                      integer_case{std::numeric_limits<double>::quiet_NaN(), 0},
                      integer_case{std::numeric_limits<double>::infinity(), 0},
                      integer_case{-9223372036854775808.0, 0},  // -2^63 truncates to 0 in the low 32 bits
                      integer_case{17061.0 + 39, 17100}));

}  // namespace
}  // namespace vantor
