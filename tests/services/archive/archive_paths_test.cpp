// Paths for extraction: entry names, their parts and text, and folder
// creation.

#include "services/archive/archive_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fault_injector.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::exists;
using testing::fault_injector;
using testing::native_path;
using testing::put_file;
using testing::put_folder;
using testing::temp_folder;

struct name_case {
  const char* title;
  std::string name;
  bool safe;
};

std::ostream& operator<<(std::ostream& out, const name_case& row) { return out << row.title; }

class EntryNames : public ::testing::TestWithParam<name_case> {};

TEST_P(EntryNames, AreSafeOnlyWhenTheyStayBelowTheTarget) {
  EXPECT_EQ(is_safe_entry_name(GetParam().name), GetParam().safe);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryNames,
    ::testing::Values(
        name_case{"PlainFile", "P0.POS", true}, name_case{"NestedFile", "a/b/c.txt", true},
        name_case{"FolderEntry", "a/b/", true}, name_case{"BackslashNested", "a\\b.txt", true},
        name_case{"DotsInsideAName", "..a/b..c/.d", true}, name_case{"SingleDot", "./a", true},
        name_case{"Utf8Name", "模型/动作.act", true}, name_case{"Empty", "", true},
        name_case{"ParentFirst", "../evil", false}, name_case{"ParentLater", "a/../../evil", false},
        name_case{"ParentLast", "a/..", false}, name_case{"ParentBehindBackslashes", "a\\..\\..\\evil", false},
        name_case{"ParentMixedSeparators", "a/..\\evil", false}, name_case{"AbsoluteSlash", "/abs", false},
        name_case{"AbsoluteBackslash", "\\abs", false}, name_case{"Unc", "\\\\srv\\s\\x", false},
        name_case{"DriveLetter", "C:/x", false}, name_case{"DriveRelative", "C:x", false},
        name_case{"StreamColon", "a.txt:hidden", false}, name_case{"ZeroByte", std::string("a\0b", 3), false},
        name_case{"Tab", "a\tb", false}, name_case{"NewLine", "a\nb", false},
        // What Windows cannot hold as it is.
        name_case{"Device", "NUL", false}, name_case{"DeviceLowerCase", "con", false},
        name_case{"DeviceWithExtensions", "nul.tar.gz", false}, name_case{"DeviceInAFolder", "mesh/Aux.msh", false},
        name_case{"DeviceAsAFolder", "PRN/a", false}, name_case{"DeviceBeforeSpaces", "nul .txt", false},
        name_case{"SerialPort", "com1", false}, name_case{"PrinterPort", "LPT9.log", false},
        name_case{"SuperscriptPort", "COM\u00b9", false}, name_case{"Console", "conout$", false},
        name_case{"DeviceNamesInsideAName", "nully/a.con", true},
        name_case{"PortWithoutNumber", "com/lpt0/com10", true}, name_case{"EndsInADot", "name.", false},
        name_case{"FolderEndsInADot", "mesh./a", false}, name_case{"AllDots", "a/...", false},
        name_case{"EndsInASpace", "name ", false}, name_case{"FolderEndsInASpace", "mesh /a", false},
        name_case{"LessThan", "a<b", false}, name_case{"GreaterThan", "a>b", false}, name_case{"Quote", "a\"b", false},
        name_case{"Bar", "a|b", false}, name_case{"Question", "a?b", false}, name_case{"Star", "*.msh", false},
        name_case{"Delete",
                  "a\x7f"
                  "b",
                  false}),
    [](const ::testing::TestParamInfo<name_case>& row) { return std::string(row.param.title); });

struct parts_case {
  const char* title;
  std::string name;
  std::vector<std::string_view> parts;
};

std::ostream& operator<<(std::ostream& out, const parts_case& row) { return out << row.title; }

class EntryNameParts : public ::testing::TestWithParam<parts_case> {};

TEST_P(EntryNameParts, SplitOnBothSeparatorsWithoutEmptyOrDotParts) {
  EXPECT_EQ(entry_name_parts(GetParam().name), GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(Table, EntryNameParts,
                         ::testing::Values(parts_case{"File", "P0.POS", {"P0.POS"}},
                                           parts_case{"SlashSeparated", "a/b/c", {"a", "b", "c"}},
                                           parts_case{"BackslashSeparated", "a\\b\\c", {"a", "b", "c"}},
                                           parts_case{"FolderEntry", "a/b/", {"a", "b"}},
                                           parts_case{"EmptyAndDotParts", "./a//./b/.", {"a", "b"}},
                                           parts_case{"OnlyDots", "./", {}}),
                         [](const ::testing::TestParamInfo<parts_case>& row) { return std::string(row.param.title); });

struct decode_case {
  const char* title;
  std::string stored;
  bool marked_utf8;
  std::string text;
};

std::ostream& operator<<(std::ostream& out, const decode_case& row) { return out << row.title; }

class EntryNameText : public ::testing::TestWithParam<decode_case> {};

TEST_P(EntryNameText, IsUtf8OrDecodedFromGbk) {
  EXPECT_EQ(entry_name_text(GetParam().stored, GetParam().marked_utf8), GetParam().text);
}

// "模型" in GBK is C4 A3 D0 CD; "刂" is 81 5C, whose second byte is "\".
INSTANTIATE_TEST_SUITE_P(Table, EntryNameText,
                         ::testing::Values(decode_case{"Ascii", "mesh/hero.msh", false, "mesh/hero.msh"},
                                           decode_case{"Utf8WithoutTheFlag", "模型/a.msh", false, "模型/a.msh"},
                                           decode_case{"Utf8WithTheFlag", "模型/a.msh", true, "模型/a.msh"},
                                           decode_case{"Gbk", "\xC4\xA3\xD0\xCD/a.msh", false, "模型/a.msh"},
                                           decode_case{"GbkHoldingTheBackslashByte", "\x81\x5C.txt", false, "乗.txt"},
                                           decode_case{"FlaggedButNotUtf8StaysAsStored", "\xC4\xA3", true, "\xC4\xA3"}),
                         [](const ::testing::TestParamInfo<decode_case>& row) { return std::string(row.param.title); });

TEST(CreateFolderPath, CreatesEveryMissingLevel) {
  temp_folder dir;
  EXPECT_TRUE(create_folder_path(dir / "one/two/three"));
  EXPECT_TRUE(std::filesystem::is_directory(native_path(dir / "one/two/three")));
  EXPECT_TRUE(create_folder_path(dir / "one/two/three/"));  // all there already
  EXPECT_TRUE(create_folder_path(dir / "one/four/"));
  EXPECT_TRUE(std::filesystem::is_directory(native_path(dir / "one/four")));
  EXPECT_TRUE(create_folder_path(dir / "模型/贴图"));
  EXPECT_TRUE(std::filesystem::is_directory(native_path(dir / "模型/贴图")));
  EXPECT_TRUE(create_folder_path(dir / "one//five/./six"));
  EXPECT_TRUE(std::filesystem::is_directory(native_path(dir / "one/five/six")));
}

TEST(CreateFolderPath, KeepsTheLevelsBeforeOneThatFails) {
  temp_folder dir;
  {
    fault_injector refuse(fault_injector::on(platform::operation::create_folder, "/two"));
    EXPECT_FALSE(create_folder_path(dir / "one/two/three"));
  }
  EXPECT_TRUE(std::filesystem::is_directory(native_path(dir / "one")));
  EXPECT_FALSE(exists(dir / "one/two"));
}

TEST(CreateFolderPath, FailsWhereAFileStandsInTheWay) {
  temp_folder dir;
  put_file(dir / "wall", "x");
  EXPECT_FALSE(create_folder_path(dir / "wall/inside"));
  EXPECT_TRUE(std::filesystem::is_regular_file(native_path(dir / "wall")));
}

TEST(PathExists, AcceptsFilesFoldersAndTrailingSeparators) {
  temp_folder dir;
  put_file(dir / "f", "x");
  put_folder(dir / "d");
  put_folder(dir / "模型");
  EXPECT_TRUE(path_exists(dir / "f"));
  EXPECT_TRUE(path_exists(dir / "d"));
  EXPECT_TRUE(path_exists(dir / "d/"));
  EXPECT_TRUE(path_exists(dir / "模型/"));
  EXPECT_FALSE(path_exists(dir / "missing"));
  EXPECT_FALSE(path_exists(""));
}

}  // namespace
}  // namespace vantor
