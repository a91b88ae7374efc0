// Paths for extraction: entry names, output paths, folder creation and links
// below the target folder.

#include "services/archive/archive_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fault_injector.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::exists;
using testing::fault_injector;
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
    ::testing::Values(name_case{"PlainFile", "P0.POS", true}, name_case{"NestedFile", "a/b/c.txt", true},
                      name_case{"FolderEntry", "a/b/", true}, name_case{"BackslashNested", "a\\b.txt", true},
                      name_case{"DotsInsideAName", "..a/b..c/...", true}, name_case{"SingleDot", "./a", true},
                      name_case{"Utf8Name", "模型/动作.act", true}, name_case{"Empty", "", true},
                      name_case{"ParentFirst", "../evil", false}, name_case{"ParentLater", "a/../../evil", false},
                      name_case{"ParentLast", "a/..", false},
                      name_case{"ParentBehindBackslashes", "a\\..\\..\\evil", false},
                      name_case{"ParentMixedSeparators", "a/..\\evil", false},
                      name_case{"AbsoluteSlash", "/abs", false}, name_case{"AbsoluteBackslash", "\\abs", false},
                      name_case{"Unc", "\\\\srv\\s\\x", false}, name_case{"DriveLetter", "C:/x", false},
                      name_case{"DriveRelative", "C:x", false}, name_case{"StreamColon", "a.txt:hidden", false},
                      name_case{"ZeroByte", std::string("a\0b", 3), false}, name_case{"Tab", "a\tb", false},
                      name_case{"NewLine", "a\nb", false},
                      name_case{"Delete",
                                "a\x7f"
                                "b",
                                false}),
    [](const ::testing::TestParamInfo<name_case>& row) { return std::string(row.param.title); });

struct output_case {
  const char* title;
  std::string target, name, expected;
};

std::ostream& operator<<(std::ostream& out, const output_case& row) { return out << row.title; }

class OutputPaths : public ::testing::TestWithParam<output_case> {};

TEST_P(OutputPaths, JoinTheNameWithPlatformSeparators) {
  EXPECT_EQ(entry_output_path(GetParam().target, GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutputPaths,
    ::testing::Values(output_case{"File", "/g/pmodel", "P0.POS", "/g/pmodel/P0.POS"},
                      output_case{"TargetWithSeparator", "/g/pmodel/", "P0.POS", "/g/pmodel/P0.POS"},
                      output_case{"SlashSeparated", "/g/pmodel", "a/b/c", "/g/pmodel/a/b/c"},
                      output_case{"BackslashSeparated", "/g/pmodel", "a\\b\\c", "/g/pmodel/a/b/c"},
                      output_case{"FolderKeepsItsTrailingSeparator", "/g/pmodel", "a/b/", "/g/pmodel/a/b/"},
                      output_case{"RelativeTarget", "pmodel", "a", "pmodel/a"}),
    [](const ::testing::TestParamInfo<output_case>& row) { return std::string(row.param.title); });

TEST(CreateFolderPath, CreatesEveryMissingLevel) {
  temp_folder dir;
  EXPECT_TRUE(create_folder_path(dir / "one/two/three"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "one/two/three"));
  EXPECT_TRUE(create_folder_path(dir / "one/two/three/"));  // all there already
  EXPECT_TRUE(create_folder_path(dir / "one/four/"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "one/four"));
}

TEST(CreateFolderPath, KeepsTheLevelsBeforeOneThatFails) {
  temp_folder dir;
  {
    fault_injector refuse(fault_injector::on(platform::operation::create_folder, "/two"));
    EXPECT_FALSE(create_folder_path(dir / "one/two/three"));
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir / "one"));
  EXPECT_FALSE(exists(dir / "one/two"));
}

TEST(CreateFolderPath, FailsWhereAFileStandsInTheWay) {
  temp_folder dir;
  put_file(dir / "wall", "x");
  EXPECT_FALSE(create_folder_path(dir / "wall/inside"));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "wall"));
}

TEST(PathExists, AcceptsFilesFoldersLinksAndTrailingSeparators) {
  temp_folder dir;
  put_file(dir / "f", "x");
  put_folder(dir / "d");
  std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
  EXPECT_TRUE(path_exists(dir / "f"));
  EXPECT_TRUE(path_exists(dir / "d"));
  EXPECT_TRUE(path_exists(dir / "d/"));
  EXPECT_TRUE(path_exists(dir / "dangling"));
  EXPECT_FALSE(path_exists(dir / "missing"));
  EXPECT_FALSE(path_exists(""));
}

TEST(PassesThroughLink, LooksAtEveryPartBelowTheTarget) {
  temp_folder dir;
  put_folder(dir / "outside");
  put_folder(dir / "target/real/deeper");
  std::filesystem::create_directory_symlink(dir / "outside", dir / "target/real/jump");
  std::filesystem::create_directory_symlink(dir / "target", dir / "alias");
  const std::string target = dir / "target";
  EXPECT_FALSE(passes_through_link(target, target + "/real/deeper/file"));
  EXPECT_FALSE(passes_through_link(target, target + "/new/file"));
  EXPECT_TRUE(passes_through_link(target, target + "/real/jump/file"));
  EXPECT_TRUE(passes_through_link(target, target + "/real/jump"));
  EXPECT_TRUE(passes_through_link(target, target + "/real/jump/"));
  EXPECT_TRUE(passes_through_link(target + "/", target + "/real//jump/x"));
  // A link above the target folder is the caller's choice, not an entry's.
  EXPECT_FALSE(passes_through_link(dir / "alias", dir / "alias/real/deeper/file"));
}

}  // namespace
}  // namespace vantor
