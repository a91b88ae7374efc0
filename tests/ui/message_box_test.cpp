// The real message boxes, dismissed by the test as a player would.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "ui/qt/qt_message_boxes.h"

namespace vantor {
namespace {

struct seen_box {
  bool found = false;
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  bool ok_button = false;
  bool has_parent = true;
  Qt::WindowModality modality = Qt::NonModal;
  Qt::TextFormat format = Qt::AutoText;
};

// Runs show, looks at the box as soon as it is up and presses its OK button.
seen_box watch_and_dismiss(const std::function<void()>& show) {
  seen_box seen;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    poll.stop();
    seen = {true,
            box->windowTitle(),
            box->text(),
            box->icon(),
            static_cast<int>(box->buttons().size()),
            box->button(QMessageBox::Ok) != nullptr,
            box->parentWidget() != nullptr,
            box->windowModality(),
            box->textFormat()};
    box->button(QMessageBox::Ok)->click();
  });
  poll.start(10);
  show();
  return seen;
}

TEST(MessageBoxes, WorkflowMessagesArePlainOwnerlessModalBoxes) {
  const seen_box seen = watch_and_dismiss([] { qt_message_port().show_message("升级成功！"); });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, QStringLiteral("信息："));
  EXPECT_EQ(seen.text, QStringLiteral("升级成功！"));
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_TRUE(seen.ok_button);
  EXPECT_FALSE(seen.has_parent);
  EXPECT_EQ(seen.modality, Qt::ApplicationModal);
  EXPECT_EQ(seen.format, Qt::PlainText);
}

TEST(MessageBoxes, TheFatalReportHasTheStopIcon) {
  const seen_box seen =
      watch_and_dismiss([] { show_fatal_report("运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"); });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, QStringLiteral("错误"));
  EXPECT_EQ(seen.text, QStringLiteral("运行时出错!\n\n错误信息：载入启动窗口失败\n"));
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_TRUE(seen.ok_button);
  EXPECT_FALSE(seen.has_parent);
  EXPECT_EQ(seen.modality, Qt::ApplicationModal);
  EXPECT_EQ(seen.format, Qt::PlainText);
}

}  // namespace
}  // namespace vantor
