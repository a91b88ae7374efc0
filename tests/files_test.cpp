#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/platform.h"
#include "services/files.h"
#include "services/staged_file.h"
#include "support/fault_injector.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::exists;
using testing::file_bytes;
using testing::put_file;
using testing::put_folder;
using testing::temp_folder;

class FileServices : public ::testing::Test {
 protected:
  void SetUp() override {
    put_file(dir / "full.bin", bytes_of("hello"));
    put_file(dir / "empty.bin", byte_string{});
    put_folder(dir / "folder");
    put_file(dir / "Common/character.amb", bytes_of("bundle"));
  }
  temp_folder dir;
};

TEST_F(FileServices, ReadWholeFileGivesEmptyForEveryFailure) {
  EXPECT_EQ(read_whole_file(dir / "full.bin"), bytes_of("hello"));
  for (const char* name : {"missing.bin", "empty.bin", "folder", "folder/missing"}) {
    EXPECT_TRUE(read_whole_file(dir / name).empty()) << name;
  }
  EXPECT_TRUE(read_whole_file("").empty());
}

TEST_F(FileServices, ReadFileStartStopsAtTheLimit) {
  EXPECT_EQ(read_file_start(dir / "full.bin", 3), bytes_of("hel"));
  EXPECT_EQ(read_file_start(dir / "full.bin", 100), bytes_of("hello"));
  EXPECT_TRUE(read_file_start(dir / "full.bin", 0).empty());
}

TEST_F(FileServices, WriteWholeFileNeedsTheFolderAndCreatesNone) {
  EXPECT_FALSE(write_whole_file(dir / "nowhere/x.bin", bytes_of("x")));
  EXPECT_FALSE(exists(dir / "nowhere"));
  EXPECT_FALSE(write_whole_file("", bytes_of("x")));
  EXPECT_FALSE(write_whole_file(dir / "folder", bytes_of("x")));  // a folder stands in the way
}

TEST_F(FileServices, WriteWholeFileTruncatesAndJoinsPieces) {
  EXPECT_TRUE(write_whole_file(dir / "full.bin", byte_string{}));
  EXPECT_TRUE(exists(dir / "full.bin"));
  EXPECT_TRUE(file_bytes(dir / "full.bin").empty());
  const byte_string a = bytes_of("ab"), b = bytes_of("cd");
  EXPECT_TRUE(write_whole_file(dir / "new.bin", {a, byte_view(), b}));
  EXPECT_EQ(file_bytes(dir / "new.bin"), bytes_of("abcd"));
}

TEST_F(FileServices, WriteWholeFileReportsAFailedWrite) {
  testing::fault_injector disk_full(testing::fault_injector::on(platform::operation::write), 1, false,
                                    platform::failure::no_space, true);
  EXPECT_FALSE(write_whole_file(dir / "full.bin", bytes_of("abcdefgh")));
  EXPECT_EQ(file_bytes(dir / "full.bin"), bytes_of("abcd"));  // what got there before the failure
}

struct exists_case {
  const char* path;
  bool expected;  friend void PrintTo(const exists_case& c, std::ostream* os) { *os << '"' << c.path << '"'; }
};

class FileExists : public FileServices, public ::testing::WithParamInterface<exists_case> {};

TEST_P(FileExists, AnswersForFilesFoldersAndPatterns) {
  const std::string path = GetParam().path[0] == '\0' ? std::string() : dir / GetParam().path;
  EXPECT_EQ(file_exists(path), GetParam().expected) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Table, FileExists,
                         ::testing::Values(exists_case{"full.bin", true}, exists_case{"folder", true},
                                           exists_case{"folder/", false}, exists_case{"missing", false},
                                           exists_case{"", false}, exists_case{"*.bin", true},
                                           exists_case{"f?ll.bin", true}, exists_case{"*.exe", false},
                                           exists_case{"FULL.BIN", true},
                                           exists_case{"common/CHARACTER.AMB", true},
                                           exists_case{"common/*.AMB", true}));

TEST_F(FileServices, RemoveFileOnlyRemovesFiles) {
  EXPECT_TRUE(remove_file(dir / "full.bin"));
  EXPECT_FALSE(exists(dir / "full.bin"));
  EXPECT_FALSE(remove_file(dir / "full.bin"));
  EXPECT_FALSE(remove_file(dir / "folder"));
  EXPECT_TRUE(exists(dir / "folder"));
}

TEST_F(FileServices, CopyReplacesAnExistingTarget) {
  EXPECT_TRUE(copy_file_to(dir / "full.bin", dir / "Common/character.amb"));
  EXPECT_EQ(file_bytes(dir / "Common/character.amb"), bytes_of("hello"));
  EXPECT_FALSE(copy_file_to(dir / "missing", dir / "x"));
  EXPECT_FALSE(exists(dir / "x"));
}

TEST_F(FileServices, NumberedFilesPatchInPlace) {
  put_file(dir / "bundle", byte_string(20, 0xAA));
  const file_number file = open_file(dir / "bundle");
  ASSERT_NE(file, 0);
  EXPECT_TRUE(set_file_position(file, 1, 13));
  EXPECT_TRUE(write_values(file, 17100));
  close_file(file);
  byte_string expected(20, 0xAA);
  expected[13] = 0xCC;
  expected[14] = 0x42;
  expected[15] = 0x00;
  expected[16] = 0x00;
  EXPECT_EQ(file_bytes(dir / "bundle"), expected);
  // A closed number, and 0, fail harmlessly.
  EXPECT_FALSE(set_file_position(file, 1, 13));
  EXPECT_FALSE(write_values(file, 1));
  close_file(file);
}

TEST_F(FileServices, NumberedFilesNeedAnExistingFile) {
  EXPECT_EQ(open_file(dir / "missing"), 0);
  EXPECT_FALSE(exists(dir / "missing"));
  EXPECT_EQ(open_file(""), 0);
  EXPECT_FALSE(set_file_position(0, 1, 13));
  EXPECT_FALSE(write_values(0, 1));
  close_file(0);
}

TEST_F(FileServices, WriteValuesRestoresThePositionAfterAFailure) {
  put_file(dir / "bundle", byte_string(20, 0));
  const file_number file = open_file(dir / "bundle");
  ASSERT_TRUE(set_file_position(file, 1, 13));
  {
    testing::fault_injector fail_write(testing::fault_injector::on(platform::operation::write));
    EXPECT_FALSE(write_values(file, 5));
  }
  EXPECT_TRUE(write_values(file, 0x01020304));
  close_file(file);
  EXPECT_EQ(file_bytes(dir / "bundle")[13], 0x04);
}

TEST_F(FileServices, CaseDifferencesResolveToTheExistingFile) {
  put_file(dir / "pmodel/p0.pos", bytes_of("old"));
  EXPECT_EQ(read_whole_file(dir / "PMODEL/P0.POS"), bytes_of("old"));
  EXPECT_TRUE(write_whole_file(dir / "pmodel/P0.POS", bytes_of("new")));
  EXPECT_EQ(file_bytes(dir / "pmodel/p0.pos"), bytes_of("new"));
  EXPECT_FALSE(exists(dir / "pmodel/P0.POS"));  // no second file that differs only in case
  EXPECT_TRUE(replace_file_atomically(dir / "PModel/P0.pos", bytes_of("newer")));
  EXPECT_EQ(file_bytes(dir / "pmodel/p0.pos"), bytes_of("newer"));
}

TEST_F(FileServices, AmbiguousCaseMatchesAreNotGuessed) {
  put_file(dir / "twins/a.txt", bytes_of("lower"));
  put_file(dir / "twins/A.txt", bytes_of("upper"));
  EXPECT_EQ(read_whole_file(dir / "twins/a.txt"), bytes_of("lower"));
  EXPECT_EQ(read_whole_file(dir / "twins/A.txt"), bytes_of("upper"));
  EXPECT_TRUE(read_whole_file(dir / "twins/A.TXT").empty());
}

TEST_F(FileServices, RunFolderHasNoTrailingSeparator) {
  fix_run_folder(dir.path() + "/");
  EXPECT_EQ(get_run_folder(), dir.path());
  fix_run_folder();
  const text own = get_run_folder();
  ASSERT_FALSE(own.empty());
  EXPECT_NE(own.back(), '/');
  EXPECT_TRUE(file_exists(own));
}

// --- atomic replacement ---------------------------------------------------------

TEST_F(FileServices, StagedReplacementLeavesNoTemporary) {
  EXPECT_TRUE(replace_file_atomically(dir / "full.bin", bytes_of("replaced")));
  EXPECT_EQ(file_bytes(dir / "full.bin"), bytes_of("replaced"));
  for (const auto& name : platform::list_folder(dir.path()))
    EXPECT_EQ(name.find(temporary_suffix), std::string::npos) << name;
}

struct staged_fault_case {
  const char* name;
  platform::operation op;  friend void PrintTo(const staged_fault_case& c, std::ostream* os) { *os << c.name; }
};

class StagedFault : public FileServices, public ::testing::WithParamInterface<staged_fault_case> {};

TEST_P(StagedFault, OldFileSurvivesAndNoTemporaryStays) {
  {
    testing::fault_injector fault(testing::fault_injector::on(GetParam().op));
    EXPECT_FALSE(replace_file_atomically(dir / "full.bin", bytes_of("replacement")));
  }
  EXPECT_EQ(file_bytes(dir / "full.bin"), bytes_of("hello"));
  EXPECT_FALSE(exists(dir / (std::string("full.bin") + std::string(temporary_suffix))));
}

INSTANTIATE_TEST_SUITE_P(EveryStep, StagedFault,
                         ::testing::Values(staged_fault_case{"open", platform::operation::open},
                                           staged_fault_case{"write", platform::operation::write},
                                           staged_fault_case{"flush", platform::operation::flush},
                                           staged_fault_case{"close", platform::operation::close},
                                           staged_fault_case{"rename", platform::operation::rename}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(FileServices, StagedReplacementNeedsTheFolder) {
  EXPECT_FALSE(replace_file_atomically(dir / "nowhere/x", bytes_of("x")));
  EXPECT_FALSE(exists(dir / "nowhere"));
}

TEST_F(FileServices, StaleTemporariesAreRemoved) {
  put_file(dir / "Common/character.amb.vantor-tmp", bytes_of("half"));
  put_file(dir / "Common/keep.txt", bytes_of("keep"));
  remove_stale_temporaries(dir / "Common");
  EXPECT_FALSE(exists(dir / "Common/character.amb.vantor-tmp"));
  EXPECT_TRUE(exists(dir / "Common/keep.txt"));
  EXPECT_TRUE(exists(dir / "Common/character.amb"));
}

}  // namespace
}  // namespace vantor
