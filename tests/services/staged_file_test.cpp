#include <gtest/gtest.h>

#include "platform/fault_hook.h"
#include "platform/files.h"
#include "services/staged_file.h"
#include "support/fault_injector.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::exists;
using testing::file_bytes;
using testing::put_file;
using testing::temp_folder;

class StagedFile : public ::testing::Test {
 protected:
  void SetUp() override {
    put_file(dir / "full.bin", bytes_of("hello"));
    put_file(dir / "Common/character.amb", bytes_of("bundle"));
  }
  temp_folder dir;
};

TEST_F(StagedFile, StagedReplacementLeavesNoTemporary) {
  EXPECT_TRUE(replace_file_atomically(dir / "full.bin", bytes_of("replaced")).ok());
  EXPECT_EQ(file_bytes(dir / "full.bin"), bytes_of("replaced"));
  for (const auto& name : platform::list_folder(dir.path()))
    EXPECT_EQ(name.find(temporary_suffix), std::string::npos) << name;
}

struct staged_fault_case {
  const char* name;
  platform::operation op;
  friend void PrintTo(const staged_fault_case& c, std::ostream* os) { *os << c.name; }
};

class StagedFault : public StagedFile, public ::testing::WithParamInterface<staged_fault_case> {};

TEST_P(StagedFault, OldFileSurvivesAndNoTemporaryStays) {
  {
    testing::fault_injector fault(testing::fault_injector::on(GetParam().op));
    const status replaced = replace_file_atomically(dir / "full.bin", bytes_of("replacement"));
    ASSERT_FALSE(replaced.ok());
    EXPECT_EQ(replaced.error().kind, os_error::io_error);
  }
  EXPECT_EQ(file_bytes(dir / "full.bin"), bytes_of("hello"));
  const std::string temporary = "full.bin" + std::string(temporary_suffix);
  EXPECT_FALSE(exists(dir / temporary));
}

INSTANTIATE_TEST_SUITE_P(EveryStep, StagedFault,
                         ::testing::Values(staged_fault_case{"open", platform::operation::open},
                                           staged_fault_case{"write", platform::operation::write},
                                           staged_fault_case{"flush", platform::operation::flush},
                                           staged_fault_case{"close", platform::operation::close},
                                           staged_fault_case{"rename", platform::operation::rename}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(StagedFile, StagedReplacementNeedsTheFolder) {
  EXPECT_EQ(replace_file_atomically(dir / "nowhere/x", bytes_of("x")).error().kind, os_error::not_found);
  EXPECT_FALSE(exists(dir / "nowhere"));
}

}  // namespace
}  // namespace vantor
