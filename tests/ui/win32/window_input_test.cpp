// Keyboard and mouse in the shown Win32 window, through the system's own
// input: Tab order, Shift+Tab, Esc, Enter, Space, F1, the focus on
// reactivation, and the link's release event with its key state.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/tab_rows.h"
#include "window_fixture.h"

namespace vantor {
namespace {

using testing::press_key;
using testing::raised_event;
using testing::ShownWindow;

TEST_F(ShownWindow, StartsWithTheFocusOnTheUpgradeButton) { EXPECT_EQ(focused(), "按钮2"); }

using testing_rows::tab_press;

class TabKey : public ShownWindow, public ::testing::WithParamInterface<tab_press> {};

TEST_P(TabKey, WalksTheFocusOrderWithWrapAround) {
  ::SetFocus(unit(GetParam().from));
  ASSERT_EQ(focused(), GetParam().from);
  const std::string before = testing::text_of(unit("编辑框1"));
  press_key(toolkit, VK_TAB, {.shift = GetParam().shift});
  EXPECT_EQ(focused(), GetParam().to);
  EXPECT_EQ(testing::text_of(unit("编辑框1")), before) << "Tab never types into the description";
  EXPECT_TRUE(events.empty());
}

INSTANTIATE_TEST_SUITE_P(rows, TabKey, ::testing::ValuesIn(testing_rows::main_window_tab_rows()),
                         [](const ::testing::TestParamInfo<tab_press>& row) {
                           return "row_" + std::to_string(row.index);
                         });

TEST_F(ShownWindow, TabMovesNothingWhileTheWindowItselfHasTheFocus) {
  ::SetFocus(window());
  press_key(toolkit, VK_TAB);
  EXPECT_EQ(::GetFocus(), window());
  press_key(toolkit, VK_TAB, {.shift = true});
  EXPECT_EQ(::GetFocus(), window());
}

class EscapeKey : public ShownWindow, public ::testing::WithParamInterface<const char*> {};

TEST_P(EscapeKey, ClosesTheWindowWhereverTheFocusIs) {
  ::SetFocus(unit(GetParam()));
  press_key(toolkit, VK_ESCAPE);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(::IsWindowVisible(window()));
  EXPECT_TRUE(events.empty());
}

INSTANTIATE_TEST_SUITE_P(rows, EscapeKey, ::testing::Values("按钮2", "按钮1", "编辑框1", "编辑框2"),
                         [](const ::testing::TestParamInfo<const char*>& row) {
                           return "focus_" + std::to_string(row.index);
                         });

TEST_F(ShownWindow, TheCloseBoxClosesItTheSameWay) {
  ::SendMessageW(window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  testing::settle(toolkit);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(::IsWindowVisible(window()));
}

TEST_F(ShownWindow, EnterAndF1StartNothingAndMoveNoFocus) {
  for (const char* name : {"按钮2", "按钮1", "编辑框2"}) {
    ::SetFocus(unit(name));
    const std::string before = testing::text_of(unit(name));
    press_key(toolkit, VK_RETURN);
    press_key(toolkit, VK_F1);
    EXPECT_EQ(focused(), name);
    EXPECT_EQ(testing::text_of(unit(name)), before);
  }
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(::IsWindowVisible(window()));
}

TEST_F(ShownWindow, EnterInTheDescriptionStartsANewLine) {
  HWND description = unit("编辑框1");
  ::SetFocus(description);
  const LRESULT lines = ::SendMessageW(description, EM_GETLINECOUNT, 0, 0);
  press_key(toolkit, VK_RETURN);
  EXPECT_EQ(::SendMessageW(description, EM_GETLINECOUNT, 0, 0), lines + 1);
  EXPECT_EQ(focused(), "编辑框1");
  EXPECT_TRUE(events.empty());
}

TEST_F(ShownWindow, SpaceClicksTheFocusedButton) {
  press_key(toolkit, VK_SPACE);
  ::SetFocus(unit("按钮1"));
  press_key(toolkit, VK_SPACE);
  EXPECT_EQ(events,
            (std::vector<raised_event>{{"按钮2", unit_event::clicked, {}}, {"按钮1", unit_event::clicked, {}}}));
}

TEST_F(ShownWindow, MouseClicksOnTheButtonsRaiseTheirEvents) {
  testing::click_at(toolkit, unit("按钮1"), {20, 20});
  testing::click_at(toolkit, unit("按钮2"), {20, 20});
  EXPECT_EQ(events,
            (std::vector<raised_event>{{"按钮1", unit_event::clicked, {}}, {"按钮2", unit_event::clicked, {}}}));
}

TEST_F(ShownWindow, GivesTheFocusBackOnReactivation) {
  ::SetFocus(unit("编辑框1"));
  HWND other = ::CreateWindowExW(0, L"Edit", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  ::SetForegroundWindow(other);
  ::SetFocus(other);
  testing::settle(toolkit);
  EXPECT_EQ(::GetFocus(), other);
  ::SetForegroundWindow(window());
  testing::settle(toolkit);
  EXPECT_EQ(::GetActiveWindow(), window());
  EXPECT_EQ(focused(), "编辑框1");
  ::DestroyWindow(other);
}

struct link_release {
  const char* name;
  WPARAM buttons;
  bool alt;
  std::int32_t key_state;
};

void PrintTo(const link_release& row, std::ostream* out) { *out << row.name; }

class LinkLabel : public ShownWindow, public ::testing::WithParamInterface<link_release> {};

TEST_P(LinkLabel, PassesPositionAndKeyStateOnLeftButtonRelease) {
  // Ctrl and Shift come with the message, Alt from the key state.
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_MENU] = GetParam().alt ? 0x80 : 0;
  ::SetKeyboardState(keys);
  ::SendMessageW(unit("标签2"), WM_LBUTTONUP, GetParam().buttons, MAKELPARAM(17, 9));
  keys[VK_MENU] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(events,
            (std::vector<raised_event>{{"标签2", unit_event::left_button_released, {17, 9, GetParam().key_state}}}));
}

INSTANTIATE_TEST_SUITE_P(rows, LinkLabel,
                         ::testing::Values(link_release{"plain", 0, false, 0},
                                           link_release{"ctrl", MK_CONTROL, false, 1},
                                           link_release{"shift", MK_SHIFT, false, 2}, link_release{"alt", 0, true, 4},
                                           link_release{"ctrl_shift_alt", MK_CONTROL | MK_SHIFT, true, 7}),
                         [](const ::testing::TestParamInfo<link_release>& row) { return row.param.name; });

TEST_F(ShownWindow, ARealClickOnTheLinkRaisesItsReleaseWithTheKeysHeld) {
  testing::click_at(toolkit, unit("标签2"), {30, 8}, {.ctrl = true, .shift = true});
  EXPECT_EQ(events, (std::vector<raised_event>{{"标签2", unit_event::left_button_released, {30, 8, 3}}}));
}

TEST_F(ShownWindow, TheTitleLabelAndOtherButtonsRaiseNothing) {
  testing::click_at(toolkit, unit("标签1"), {10, 10});
  ::SendMessageW(unit("标签2"), WM_RBUTTONUP, 0, MAKELPARAM(10, 5));
  ::SendMessageW(unit("标签2"), WM_MBUTTONUP, 0, MAKELPARAM(10, 5));
  EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace vantor
