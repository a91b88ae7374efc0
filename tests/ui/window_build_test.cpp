// The Qt window built from the stored definition: geometry, texts, colours,
// fonts, pointers, stacking and placement.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <memory>
#include <ostream>

#include "support/edit_box_rows.h"
#include "ui/qt/qt_caption_label.h"
#include "ui/qt/qt_conversions.h"
#include "ui/qt/qt_edit_boxes.h"
#include "ui/qt/qt_picture_box.h"
#include "ui/qt/qt_push_button.h"
#include "ui/qt/qt_window_builder.h"
#include "ui/window_geometry.h"

namespace vantor {
namespace {

std::unique_ptr<qt_window> build_main_window() {
  auto window = build_window(main_window_definition());
  if (!window) ADD_FAILURE() << "the main window did not build";
  return window;
}

class BuiltUnit : public ::testing::TestWithParam<std::size_t> {};

TEST_P(BuiltUnit, SitsAtItsStoredPlaceWithItsFocusRule) {
  const auto window = build_main_window();
  const unit_definition& unit = main_window_definition().units[GetParam()];
  QWidget* widget = window->unit_widget(unit.name);
  if (!unit.visible) {
    EXPECT_EQ(widget, nullptr) << "the archive component has no appearance";
    return;
  }
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->parentWidget(), window.get());
  EXPECT_EQ(widget->geometry(), QRect(unit.left, unit.top, unit.width, unit.height));
  EXPECT_TRUE(widget->isVisibleTo(window.get()));
  EXPECT_TRUE(widget->isEnabled());
  EXPECT_EQ(widget->focusPolicy(), unit.takes_focus ? Qt::StrongFocus : Qt::NoFocus);
}

INSTANTIATE_TEST_SUITE_P(main_window, BuiltUnit,
                         ::testing::Range<std::size_t>(0, main_window_definition().units.size()),
                         [](const ::testing::TestParamInfo<std::size_t>& row) {
                           return "unit_" + std::to_string(row.param);
                         });

TEST(BuiltWindow, IsHiddenUntilShownAndCarriesCaptionAndFixedFrame) {
  const auto window = build_main_window();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Vantor动画升级 by Orlo"));
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the user cannot resize it";
  EXPECT_EQ(window->palette().color(QPalette::Window), QGuiApplication::palette().color(QPalette::Button));
}

TEST(BuiltWindow, ShowsItsTexts) {
  const auto window = build_main_window();
  auto* link = dynamic_cast<qt_caption_label*>(window->unit_widget("标签2"));
  auto* title = dynamic_cast<qt_caption_label*>(window->unit_widget("标签1"));
  auto* description = dynamic_cast<qt_multi_line_edit*>(window->unit_widget("编辑框1"));
  auto* summary = dynamic_cast<qt_single_line_edit*>(window->unit_widget("编辑框2"));
  auto* restore = dynamic_cast<qt_push_button*>(window->unit_widget("按钮1"));
  auto* upgrade = dynamic_cast<qt_push_button*>(window->unit_widget("按钮2"));
  ASSERT_TRUE(link && title && description && summary && restore && upgrade);
  EXPECT_EQ(link->caption(), QStringLiteral("https://orlo.example.com/vantor/"));
  EXPECT_EQ(window->caption("标签2"), homepage_address);
  EXPECT_EQ(title->caption(), QStringLiteral("动画信息"));
  // CR LF is one line break: two lines, not three.
  EXPECT_EQ(description->content(), QStringLiteral("v0.4说明：\n【从此版本起可自行配置动画文件】"));
  EXPECT_EQ(description->document()->blockCount(), 2);
  EXPECT_EQ(description->textCursor().position(), 0);
  EXPECT_EQ(summary->content(), QString());
  EXPECT_EQ(restore->text(), QStringLiteral("复原"));
  EXPECT_EQ(upgrade->text(), QStringLiteral("开始升级"));
  EXPECT_FALSE(restore->isDefault() || restore->autoDefault());
  EXPECT_FALSE(upgrade->isDefault() || upgrade->autoDefault());
}

// Each kind of box shows a text by the one rule of every desktop: the
// description (several lines) and the summary (one line).
class EditBoxContent : public ::testing::TestWithParam<testing_rows::edit_box_row> {};

TEST_P(EditBoxContent, ShowsTheLinesTheRuleGives) {
  const testing_rows::edit_box_row& row = GetParam();
  const auto window = build_main_window();
  const std::string_view name = row.multi_line ? "编辑框1" : "编辑框2";
  window->set_content(name, row.text);
  const QString expected = to_qstring(testing_rows::joined(row.lines, "\n"));
  if (row.multi_line) {
    auto* box = dynamic_cast<qt_multi_line_edit*>(window->unit_widget(name));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->content(), expected);
    EXPECT_EQ(box->document()->blockCount(), static_cast<int>(row.lines.size()));
  } else {
    auto* box = dynamic_cast<qt_single_line_edit*>(window->unit_widget(name));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->content(), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(rows, EditBoxContent, ::testing::ValuesIn(testing_rows::edit_box_rows()),
                         [](const ::testing::TestParamInfo<testing_rows::edit_box_row>& row) {
                           return row.param.name;
                         });

TEST(BuiltWindow, GivesLabelsAndEditBoxesTheirColoursFontsAndPointers) {
  const auto window = build_main_window();
  const QColor face = QGuiApplication::palette().color(QPalette::Button);
  auto* link = dynamic_cast<qt_caption_label*>(window->unit_widget("标签2"));
  auto* title = dynamic_cast<qt_caption_label*>(window->unit_widget("标签1"));
  ASSERT_TRUE(link && title);
  EXPECT_EQ(link->text_colour(), QColor(0, 0, 255));
  EXPECT_EQ(link->background(), face);
  EXPECT_EQ(link->font().pixelSize(), 12);
  EXPECT_EQ(link->font().weight(), QFont::Bold);
  EXPECT_FALSE(link->font().italic() || link->font().underline() || link->font().strikeOut());
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(title->text_colour(), QColor(255, 0, 0));
  EXPECT_EQ(title->font().pixelSize(), 16);
  EXPECT_EQ(title->font().weight(), QFont::Bold);
  EXPECT_EQ(title->cursor().shape(), Qt::ArrowCursor);

  QWidget* description = window->unit_widget("编辑框1");
  QWidget* summary = window->unit_widget("编辑框2");
  EXPECT_EQ(description->palette().color(QPalette::Base), QColor(0, 255, 0));
  EXPECT_EQ(description->palette().color(QPalette::Text), QColor(0, 0, 0));
  EXPECT_EQ(summary->palette().color(QPalette::Base), QColor(255, 128, 192));
  EXPECT_EQ(summary->palette().color(QPalette::Text), QColor(0, 0, 0));
  auto* multi = dynamic_cast<QPlainTextEdit*>(description);
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(multi->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(multi->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_FALSE(multi->isReadOnly());
  EXPECT_EQ(dynamic_cast<QLineEdit*>(summary)->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(dynamic_cast<qt_picture_box*>(window->unit_widget("图片框1"))->background(), face);
}

TEST(BuiltWindow, DrawsEveryChineseTextWithRealGlyphs) {
  const auto window = build_main_window();
  const QString texts[] = {QStringLiteral("Vantor动画升级 by Orlo"),
                           QStringLiteral("动画信息"),
                           QStringLiteral("v0.4说明：【从此版本起可自行配置动画文件】"),
                           QStringLiteral("开始升级复原"),
                           QStringLiteral("总帧数=39， 起始帧=17061， 结束帧=17100"),
                           QStringLiteral("升级成功！升级失败！复原成功!复原失败！动画文件被修改过，非原版")};
  for (QWidget* widget : {window->unit_widget("标签1"), window->unit_widget("编辑框1"), window->unit_widget("按钮2")}) {
    const QFontMetrics metrics(widget->font());
    for (const QString& text : texts) {
      for (const QChar character : text) {
        EXPECT_TRUE(metrics.inFont(character))
            << "no glyph for U+" << std::hex << static_cast<unsigned>(character.unicode());
      }
    }
  }
  EXPECT_TRUE(QFontInfo(window->unit_widget("编辑框1")->font()).family().contains(QStringLiteral("CJK")));
}

TEST(BuiltWindow, StacksTheFirstStoredUnitOnTop) {
  const auto window = build_main_window();
  std::vector<QWidget*> bottom_to_top;
  for (QObject* child : window->children()) {
    if (auto* widget = qobject_cast<QWidget*>(child); widget && !window->unit_name(widget).empty()) {
      bottom_to_top.push_back(widget);
    }
  }
  std::vector<QWidget*> stored_top_to_bottom;
  for (const unit_definition& unit : main_window_definition().units) {
    if (QWidget* widget = window->unit_widget(unit.name)) stored_top_to_bottom.push_back(widget);
  }
  std::reverse(bottom_to_top.begin(), bottom_to_top.end());
  EXPECT_EQ(bottom_to_top, stored_top_to_bottom);
}

TEST(PlacedWindow, IsCentredWithTheStoredOuterSizeAndEveryUnitInside) {
  const auto window = build_main_window();
  window->show_centred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  const QMargins frame = window->windowHandle()->frameMargins();
  const window_size client =
      client_size(main_window_definition(), {frame.left(), frame.top(), frame.right(), frame.bottom()});
  EXPECT_EQ(window->size(), QSize(client.width, client.height));
  EXPECT_GE(window->width(), 736);
  EXPECT_GE(window->height(), 304);
  if (!frame.isNull()) {
    EXPECT_EQ(window->frameGeometry().size(), QSize(749, 341));
  }
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const window_point origin = centred_origin({screen.width(), screen.height()},
                                             {window->frameGeometry().width(), window->frameGeometry().height()});
  EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(screen.x() + origin.x, screen.y() + origin.y));
  for (const unit_definition& unit : main_window_definition().units) {
    if (QWidget* widget = window->unit_widget(unit.name)) {
      EXPECT_TRUE(window->rect().contains(widget->geometry())) << unit.name;
      EXPECT_TRUE(widget->isVisible()) << unit.name;
    }
  }
}

TEST(PlacedWindow, PaintsTheLabelsInTheirColours) {
  const auto window = build_main_window();
  window->show_centred();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  auto count = [](const QImage& image, QColor colour) {
    int found = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) found += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return found;
  };
  const QImage link = window->unit_widget("标签2")->grab().toImage();
  const QImage title = window->unit_widget("标签1")->grab().toImage();
  const QColor face = QGuiApplication::palette().color(QPalette::Button);
  EXPECT_GT(count(link, QColor(0, 0, 255)), 20);
  EXPECT_GT(count(title, QColor(255, 0, 0)), 20);
  EXPECT_EQ(link.pixelColor(link.width() - 1, 0), face) << "the caption ends well before the right edge";
  EXPECT_EQ(title.pixelColor(0, 0), face);
}

}  // namespace
}  // namespace vantor
