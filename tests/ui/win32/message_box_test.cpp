// The desktop's message boxes, seen and dismissed by the test as a player
// would: the workflow's messages and the fatal-error report.

#include <gtest/gtest.h>

#include "ui/win32/win32_message_boxes.h"
#include "window_fixture.h"

namespace vantor {
namespace {

using testing::seen_box;
using testing::ShownWindow;
using testing::watch_and_dismiss;

TEST_F(ShownWindow, AWorkflowMessageIsAPlainBoxOwnedByTheWindow) {
  win32_message_port port([this] { return toolkit.message_owner(); });
  const seen_box seen = watch_and_dismiss([&] { port.show_message("升级成功！"); });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, "信息：");
  EXPECT_EQ(seen.text, "升级成功！");
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_FALSE(seen.icon);
  EXPECT_EQ(seen.owner, window()) << "modal to the window";
  EXPECT_TRUE(::IsWindowEnabled(window())) << "and the window takes input again once it is dismissed";
}

TEST(MessageBoxes, WithoutAWindowOnTheScreenABoxHasNoOwner) {
  win32_toolkit toolkit;
  win32_message_port port([&toolkit] { return toolkit.message_owner(); });
  const seen_box seen = watch_and_dismiss([&] { port.show_message("此程序必须置于Vantor主目录下运行!"); });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, "信息：");
  EXPECT_EQ(seen.text, "此程序必须置于Vantor主目录下运行!");
  EXPECT_EQ(seen.owner, nullptr);
}

TEST(MessageBoxes, TheFatalReportHasTheStopIconAndKeepsItsLineBreaks) {
  const seen_box seen =
      watch_and_dismiss([] { show_fatal_report_box(nullptr, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"); });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, "错误");
  EXPECT_EQ(seen.text, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_TRUE(seen.icon);
}

struct style_row {
  bool fatal;
  bool owner;
  UINT style;
};

class MessageBoxStyleOf : public ::testing::TestWithParam<style_row> {};

TEST_P(MessageBoxStyleOf, IsOkOnlyWithTheStopIconForTheReport) {
  EXPECT_EQ(message_box_style(GetParam().fatal, GetParam().owner), GetParam().style);
}

INSTANTIATE_TEST_SUITE_P(rows, MessageBoxStyleOf,
                         ::testing::Values(style_row{false, true, MB_OK}, style_row{false, false, MB_OK | MB_TASKMODAL},
                                           style_row{true, true, MB_OK | MB_ICONHAND},
                                           style_row{true, false, MB_OK | MB_ICONHAND | MB_TASKMODAL}));

}  // namespace
}  // namespace vantor
