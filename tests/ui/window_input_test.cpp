// Keyboard and mouse in the shown window: Tab order, Esc, Enter, Space, the
// focus on reactivation, and the events the units raise.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "support/tab_rows.h"
#include "ui/qt/qt_window_builder.h"

namespace vantor {
namespace {

struct raised_event {
  std::string unit;
  unit_event event;
  event_args args;
  bool operator==(const raised_event& other) const {
    return unit == other.unit && event == other.event && args.x == other.args.x && args.y == other.args.y &&
           args.key_state == other.args.key_state;
  }
};

std::ostream& operator<<(std::ostream& out, const raised_event& e) {
  return out << e.unit << " event " << static_cast<int>(e.event) << " (" << e.args.x << ", " << e.args.y << ", "
             << e.args.key_state << ")";
}

class ShownWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    window = build_window(main_window_definition());
    ASSERT_NE(window, nullptr);
    window->set_event_sink([this](std::string_view unit, unit_event event, const event_args& args) {
      events.push_back({std::string(unit), event, args});
    });
    window->set_close_handler([this] { ++closes; });
    window->show_centred();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  QWidget* unit(std::string_view name) const { return window->unit_widget(name); }
  std::string focused() const { return std::string(window->unit_name(QApplication::focusWidget())); }

  std::unique_ptr<qt_window> window;
  std::vector<raised_event> events;
  int closes = 0;
};

TEST_F(ShownWindow, StartsWithTheFocusOnTheUpgradeButton) { EXPECT_EQ(focused(), "按钮2"); }

using testing_rows::tab_press;

class TabKey : public ShownWindow, public ::testing::WithParamInterface<tab_press> {};

TEST_P(TabKey, WalksTheFocusOrderWithWrapAround) {
  unit(GetParam().from)->setFocus(Qt::OtherFocusReason);
  ASSERT_EQ(focused(), GetParam().from);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, GetParam().shift ? Qt::ShiftModifier : Qt::NoModifier);
  EXPECT_EQ(focused(), GetParam().to);
  EXPECT_TRUE(events.empty());
}

INSTANTIATE_TEST_SUITE_P(rows, TabKey, ::testing::ValuesIn(testing_rows::main_window_tab_rows()));

TEST_F(ShownWindow, TabNeverTypesIntoTheDescription) {
  auto* description = dynamic_cast<QPlainTextEdit*>(unit("编辑框1"));
  description->setFocus(Qt::OtherFocusReason);
  const QString before = description->toPlainText();
  QTest::keyClick(description, Qt::Key_Tab);
  EXPECT_EQ(description->toPlainText(), before);
}

class EscapeKey : public ShownWindow, public ::testing::WithParamInterface<const char*> {};

TEST_P(EscapeKey, ClosesTheWindowWhereverTheFocusIs) {
  unit(GetParam())->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(events.empty());
}

INSTANTIATE_TEST_SUITE_P(rows, EscapeKey, ::testing::Values("按钮2", "按钮1", "编辑框1", "编辑框2"));

TEST_F(ShownWindow, AnEditBoxHidesItsSelectionWhileItHasNoFocus) {
  auto* description = dynamic_cast<QPlainTextEdit*>(unit("编辑框1"));
  description->setFocus(Qt::OtherFocusReason);
  description->selectAll();
  const QColor green(0, 255, 0);
  EXPECT_NE(description->palette().color(QPalette::Highlight), green);
  unit("按钮2")->setFocus(Qt::OtherFocusReason);
  EXPECT_EQ(description->palette().color(QPalette::Highlight), green);
  EXPECT_TRUE(description->textCursor().hasSelection()) << "hidden, not dropped";
  description->setFocus(Qt::OtherFocusReason);
  EXPECT_NE(description->palette().color(QPalette::Highlight), green);
}

TEST_F(ShownWindow, ArrowKeysOnAButtonMoveNothing) {
  for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up}) {
    QTest::keyClick(unit("按钮2"), key);
    EXPECT_EQ(focused(), "按钮2");
  }
}

TEST_F(ShownWindow, EnterStartsNoCommand) {
  for (const char* name : {"按钮2", "按钮1", "编辑框2"}) {
    unit(name)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(unit(name), Qt::Key_Return);
    QTest::keyClick(unit(name), Qt::Key_Enter);
  }
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(closes, 0);
}

TEST_F(ShownWindow, EnterInTheDescriptionStartsANewLine) {
  auto* description = dynamic_cast<QPlainTextEdit*>(unit("编辑框1"));
  description->setFocus(Qt::OtherFocusReason);
  const int lines = description->document()->blockCount();
  QTest::keyClick(description, Qt::Key_Return);
  EXPECT_EQ(description->document()->blockCount(), lines + 1);
  EXPECT_TRUE(events.empty());
}

TEST_F(ShownWindow, SpaceClicksTheFocusedButton) {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  unit("按钮1")->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(unit("按钮1"), Qt::Key_Space);
  EXPECT_EQ(events,
            (std::vector<raised_event>{{"按钮2", unit_event::clicked, {}}, {"按钮1", unit_event::clicked, {}}}));
}

TEST_F(ShownWindow, MouseClicksOnTheButtonsRaiseTheirEvents) {
  QTest::mouseClick(unit("按钮1"), Qt::LeftButton);
  QTest::mouseClick(unit("按钮2"), Qt::LeftButton);
  EXPECT_EQ(events,
            (std::vector<raised_event>{{"按钮1", unit_event::clicked, {}}, {"按钮2", unit_event::clicked, {}}}));
}

TEST_F(ShownWindow, GivesTheFocusBackOnReactivation) {
  unit("编辑框1")->setFocus(Qt::OtherFocusReason);
  QWidget other;
  auto* field = new QLineEdit(&other);
  field->setFocus();
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_EQ(QApplication::focusWidget(), field);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(focused(), "编辑框1");
}

struct link_release {
  const char* name;
  QPoint position;
  Qt::KeyboardModifiers keys;
  std::int32_t key_state;
};

std::ostream& operator<<(std::ostream& out, const link_release& row) { return out << row.name; }

class LinkLabel : public ShownWindow, public ::testing::WithParamInterface<link_release> {};

TEST_P(LinkLabel, PassesPositionAndKeyStateOnLeftButtonRelease) {
  QTest::mouseClick(unit("标签2"), Qt::LeftButton, GetParam().keys, GetParam().position);
  EXPECT_EQ(events,
            (std::vector<raised_event>{{"标签2",
                                        unit_event::left_button_released,
                                        {GetParam().position.x(), GetParam().position.y(), GetParam().key_state}}}));
}

INSTANTIATE_TEST_SUITE_P(
    rows, LinkLabel,
    ::testing::Values(
        link_release{"plain", {10, 5}, Qt::NoModifier, 0}, link_release{"ctrl", {1, 1}, Qt::ControlModifier, 1},
        link_release{"shift", {247, 15}, Qt::ShiftModifier, 2}, link_release{"alt", {100, 8}, Qt::AltModifier, 4},
        link_release{"ctrl_shift_alt", {3, 3}, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier, 7}),
    [](const ::testing::TestParamInfo<link_release>& row) { return row.param.name; });

TEST_F(ShownWindow, LinkLabelIgnoresOtherButtonsAndReleasesElsewhere) {
  QWidget* link = unit("标签2");
  QTest::mouseClick(link, Qt::RightButton, {}, QPoint(10, 5));
  QTest::mouseClick(link, Qt::MiddleButton, {}, QPoint(10, 5));
  QTest::mousePress(link, Qt::LeftButton, {}, QPoint(10, 5));
  QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(300, 5));  // dragged off to the right
  QTest::mouseClick(unit("标签1"), Qt::LeftButton);
  EXPECT_TRUE(events.empty());
}

TEST_F(ShownWindow, ADoubleClickOnTheLinkReleasesTwice) {
  // What the desktop delivers for a double click: press, release, the
  // double-click press, release.
  QWidget* link = unit("标签2");
  const QPoint at(20, 6);
  QTest::mousePress(link, Qt::LeftButton, {}, at);
  QTest::mouseRelease(link, Qt::LeftButton, {}, at);
  QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(at), link->mapToGlobal(QPointF(at)), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(link, &second);
  QTest::mouseRelease(link, Qt::LeftButton, {}, at);
  const raised_event release{"标签2", unit_event::left_button_released, {20, 6, 0}};
  EXPECT_EQ(events, (std::vector<raised_event>{release, release}));
}

}  // namespace
}  // namespace vantor
