#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vantor
