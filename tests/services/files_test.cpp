#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/fault_hook.h"
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

struct read_failure_case {
  const char* path;
  failure_kind kind;
  friend void PrintTo(const read_failure_case& c, std::ostream* os) { *os << '"' << c.path << '"'; }
};

class ReadWholeFile : public FileServices, public ::testing::WithParamInterface<read_failure_case> {};

TEST_P(ReadWholeFile, SaysWhyItFailed) {
  const auto read = read_whole_file(dir / GetParam().path);
  ASSERT_FALSE(read.ok());
  EXPECT_EQ(read.error().kind, GetParam().kind);
  EXPECT_NE(read.error().path.find(GetParam().path), std::string::npos) << read.error().path;
}

INSTANTIATE_TEST_SUITE_P(Table, ReadWholeFile,
                         ::testing::Values(read_failure_case{"missing.bin", os_error::not_found},
                                           read_failure_case{"folder", os_error::not_a_file},
                                           read_failure_case{"folder/missing", os_error::not_found}));

TEST_F(FileServices, ReadWholeFileGivesTheBytes) {
  EXPECT_EQ(read_whole_file(dir / "full.bin").value(), bytes_of("hello"));
  EXPECT_TRUE(read_whole_file(dir / "empty.bin").value().empty());
  EXPECT_FALSE(read_whole_file("").ok());
}

TEST_F(FileServices, ReadFailuresCarryTheReasonOfTheFaultSwitch) {
  testing::fault_injector locked(testing::fault_injector::on(platform::operation::open, "full.bin"), 1, false,
                                 os_error::in_use);
  const auto read = read_whole_file(dir / "full.bin");
  ASSERT_FALSE(read.ok());
  EXPECT_EQ(read.error(), (failure{os_error::in_use, dir / "full.bin"}));
}

struct exists_case {
  const char* path;
  bool expected;
  friend void PrintTo(const exists_case& c, std::ostream* os) { *os << '"' << c.path << '"'; }
};

class FileExists : public FileServices, public ::testing::WithParamInterface<exists_case> {};

TEST_P(FileExists, AnswersForFilesAndFolders) {
  const std::string path = GetParam().path[0] == '\0' ? std::string() : dir / GetParam().path;
  EXPECT_EQ(file_exists(path), GetParam().expected) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Table, FileExists,
                         ::testing::Values(exists_case{"full.bin", true}, exists_case{"folder", true},
                                           exists_case{"folder/", false}, exists_case{"missing", false},
                                           exists_case{"", false}, exists_case{"FULL.BIN", true},
                                           exists_case{"common/CHARACTER.AMB", true}));

TEST_F(FileServices, RemoveFileOnlyRemovesFiles) {
  EXPECT_TRUE(remove_file(dir / "full.bin").ok());
  EXPECT_FALSE(exists(dir / "full.bin"));
  EXPECT_EQ(remove_file(dir / "full.bin").error().kind, os_error::not_found);
  EXPECT_EQ(remove_file(dir / "folder").error().kind, os_error::not_a_file);
  EXPECT_TRUE(exists(dir / "folder"));
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

}  // namespace
}  // namespace vantor
