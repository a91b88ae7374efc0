// The text of the fatal-error report.

#include <gtest/gtest.h>

#include <ostream>

#include "app/frame/fatal_report.h"

namespace vantor {
namespace {

struct report_row {
  const char* name;
  const char* message;
  std::int32_t code;
  const char* report;
};

std::ostream& operator<<(std::ostream& out, const report_row& row) { return out << row.name; }

class FatalReport : public ::testing::TestWithParam<report_row> {};

TEST_P(FatalReport, HasACodeLineOnlyForACodeAndAMessageLineOnlyForAMessage) {
  EXPECT_EQ(fatal_report_text(GetParam().message, GetParam().code), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    rows, FatalReport,
    ::testing::Values(report_row{"nothing", "", 0, "运行时出错!\r\n\r\n"},
                      report_row{"allocation", "分配 100 字节内存失败!", 0,
                                 "运行时出错!\r\n\r\n错误信息：分配 100 字节内存失败!\r\n"},
                      report_row{"not_numeric", "未得到所需要的数值型数据", 2,
                                 "运行时出错!\r\n\r\n错误代码：2\r\n\r\n错误信息：未得到所需要的数值型数据\r\n"},
                      report_row{"code_only", "", 5, "运行时出错!\r\n\r\n错误代码：5\r\n\r\n"},
                      report_row{"negative_code", "载入启动窗口失败", -1,
                                 "运行时出错!\r\n\r\n错误代码：-1\r\n\r\n错误信息：载入启动窗口失败\r\n"}),
    [](const ::testing::TestParamInfo<report_row>& row) { return row.param.name; });

TEST(AllocationFailureMessage, NamesTheSizeInSignedDecimal) {
  EXPECT_EQ(allocation_failure_message(100), "分配 100 字节内存失败!");
  EXPECT_EQ(allocation_failure_message(-2147483647 - 1), "分配 -2147483648 字节内存失败!");
}

}  // namespace
}  // namespace vantor
