// Letter case on file systems that keep it: a name that differs only in
// case finds the one file there is, and two candidates are never guessed
// between. (Windows folders ignore case themselves.)

#include <gtest/gtest.h>

#include "services/files.h"
#include "services/staged_file.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::exists;
using testing::file_bytes;
using testing::put_file;
using testing::temp_folder;

class LetterCase : public ::testing::Test {
 protected:
  temp_folder dir;
};

TEST_F(LetterCase, CaseDifferencesResolveToTheExistingFile) {
  put_file(dir / "pmodel/p0.pos", bytes_of("old"));
  EXPECT_EQ(read_whole_file(dir / "PMODEL/P0.POS").value(), bytes_of("old"));
  EXPECT_TRUE(replace_file_atomically(dir / "PModel/P0.pos", bytes_of("newer")).ok());
  EXPECT_EQ(file_bytes(dir / "pmodel/p0.pos"), bytes_of("newer"));
  EXPECT_FALSE(exists(dir / "pmodel/P0.POS"));  // no second file that differs only in case
}

TEST_F(LetterCase, AmbiguousCaseMatchesAreNotGuessed) {
  put_file(dir / "twins/a.txt", bytes_of("lower"));
  put_file(dir / "twins/A.txt", bytes_of("upper"));
  EXPECT_EQ(read_whole_file(dir / "twins/a.txt").value(), bytes_of("lower"));
  EXPECT_EQ(read_whole_file(dir / "twins/A.txt").value(), bytes_of("upper"));
  EXPECT_FALSE(read_whole_file(dir / "twins/A.TXT").ok());
}

}  // namespace
}  // namespace vantor
