// UTF-8 to UTF-16 and back, for the wide Windows calls.

#include <gtest/gtest.h>

#include <string>

#include "platform/utf16.h"

namespace vantor::platform {
namespace {

struct utf16_row {
  std::string utf8;
  std::wstring utf16;
};

class Utf16Text : public ::testing::TestWithParam<utf16_row> {};

TEST_P(Utf16Text, CrossesBothWaysUnchanged) {
  const utf16_row& row = GetParam();
  EXPECT_EQ(to_utf16(row.utf8), row.utf16);
  EXPECT_EQ(from_utf16(row.utf16), row.utf8);
}

INSTANTIATE_TEST_SUITE_P(rows, Utf16Text,
                         ::testing::Values(utf16_row{"", L""}, utf16_row{"Vantor.exe", L"Vantor.exe"},
                                           utf16_row{"原始动画备份.amb", L"\u539f\u59cb\u52a8\u753b\u5907\u4efd.amb"},
                                           // Outside the basic plane: a surrogate pair.
                                           utf16_row{"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
                                           // Line ends and a NUL inside the text come through as they are.
                                           utf16_row{std::string("a\r\nb\0c", 6), std::wstring(L"a\r\nb\0c", 6)}));

}  // namespace
}  // namespace vantor::platform
