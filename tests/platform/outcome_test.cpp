// The failure carrier: kinds of different floors never mix, the system's
// code is detail, and a reason sentence names it only when the kind says
// nothing more.

#include <gtest/gtest.h>

#include <sstream>

#include "platform/outcome.h"
#include "platform/system_error.h"
#include "services/archive/archive_error.h"
#include "services/file_error.h"
#include "workflow/refusal.h"

namespace vantor {
namespace {

TEST(FailureKind, IsItsFloorsKindAndNoOther) {
  // The first kind of each floor has the same number: only the floor tells them apart.
  const failure_kind firsts[] = {os_error::not_found, file_error::too_short, archive_error::damaged,
                                 refusal::missing_or_empty};
  for (const failure_kind& a : firsts)
    for (const failure_kind& b : firsts) EXPECT_EQ(a == b, &a == &b) << a << " against " << b;
  EXPECT_EQ(failure_kind(os_error::busy), os_error::busy);
  EXPECT_FALSE(failure_kind(os_error::busy) == os_error::in_use);
}

TEST(Failure, IsTheSameWhateverCodeTheSystemGave) {
  const failure with_code{os_error::no_space, "/g/a", 28};
  EXPECT_EQ(with_code, (failure{os_error::no_space, "/g/a"}));
  EXPECT_NE(with_code, (failure{os_error::no_space, "/g/b"}));
  std::ostringstream printed;
  printed << with_code;
  EXPECT_EQ(printed.str(), "{system: cannot be written: the disk is full, /g/a, code 28}");
}

struct sentence_case {
  const char* name;
  failure_kind kind;
  const char* path;
  std::int32_t code;
  const char* folder;
  std::string expected;
  friend void PrintTo(const sentence_case& c, std::ostream* os) { *os << c.name; }
};

class ReasonSentence : public ::testing::TestWithParam<sentence_case> {};

TEST_P(ReasonSentence, SaysWhatTheReaderNeeds) {
  const sentence_case& c = GetParam();
  EXPECT_EQ(describe(failure{c.kind, c.path, c.code}, c.folder), c.expected);
}

const sentence_case sentence_cases[] = {

    sentence_case{"PathInsideTheFolder", os_error::in_use, "/g/Common/character.amb", 32, "/g",
                  "Common/character.amb is in use by another program"},
    sentence_case{"PathOutsideTheFolder", os_error::not_found, "/elsewhere/x", 0, "/g", "/elsewhere/x is missing"},
    sentence_case{"NoPath", os_error::busy, "", 0, "/g", "another run is working on this game folder"},
    sentence_case{"ServicesKind", file_error::too_short, "/g/updatefile/new.amb.out", 0, "/g",
                  "updatefile/new.amb.out is too short"},
    sentence_case{"ArchiveKind", archive_error::damaged, "/g/pmodel.pak", 0, "/g", "pmodel.pak is damaged"},
    sentence_case{"WorkflowKind", refusal::modified, "/g/Common/character.amb", 0, "/g",
                  "Common/character.amb is not the stock bundle (it was modified)"},
    sentence_case{"OtherWithoutCode", os_error::other, "/g/x", 0, "/g", "x cannot be read or written"},
    sentence_case{"OtherWithTheSystemsCode", os_error::other, "/g/x", 1117, "/g",
                  "x cannot be read or written (system error 1117: " + platform::native_error_text(1117) + ")"},
    sentence_case{"KnownKindKeepsItsOwnWords", os_error::no_space, "/g/x", 28, "/g",
                  "x cannot be written: the disk is full"},
    // A hostile name stays on its one line and forges nothing.
    sentence_case{"NameWithControlCharacters", archive_error::unsafe_name,
                  "/g/pmodel.pak/evil\x1b[2J\x1b[31mname\rreason: all fine\n.msh", 0, "/g",
                  "pmodel.pak/evil\\x1b[2J\\x1b[31mname\\x0dreason: all fine\\x0a.msh is an entry whose name is "
                  "unsafe or that Windows cannot hold"},
};

INSTANTIATE_TEST_SUITE_P(Table, ReasonSentence, ::testing::ValuesIn(sentence_cases));

struct printable_case {
  const char* name;
  std::string text;
  std::string shown;
  friend void PrintTo(const printable_case& c, std::ostream* os) { *os << c.name; }
};

class Printable : public ::testing::TestWithParam<printable_case> {};

TEST_P(Printable, EscapesWhatCouldForgeOrMoveALine) { EXPECT_EQ(printable(GetParam().text), GetParam().shown); }

const printable_case printable_cases[] = {
    {"PlainAndChineseKept", "C:\\游戏\\Common/character.amb", "C:\\游戏\\Common/character.amb"},
    {"ControlCharacters", std::string("a\x1b[2J\tb\x7f", 8) + std::string(1, '\0') + "c", "a\\x1b[2J\\x09b\\x7f\\x00c"},
    {"LineEnds", "one\r\ntwo", "one\\x0d\\x0atwo"},
    {"C1Control",
     "a\xc2\x9b"
     "31m",
     "a\\u009b31m"},
    {"BidirectionalOverrides", "evil\xe2\x80\xaegnp.exe \xe2\x81\xa6x\xe2\x81\xa9",
     "evil\\u202egnp.exe \\u2066x\\u2069"},
    {"LineSeparator",
     "a\xe2\x80\xa8"
     "b",
     "a\\u2028b"},
    {"BytesThatAreNoUtf8", "gbk\xc4\xe3\xba\xc3\xff", "gbk\\xc4\\xe3\\xba\\xc3\\xff"},
    {"OverlongAndSurrogate", "\xc0\xaf\xed\xa0\x80", "\\xc0\\xaf\\xed\\xa0\\x80"},
};

INSTANTIATE_TEST_SUITE_P(Table, Printable, ::testing::ValuesIn(printable_cases));

}  // namespace
}  // namespace vantor
