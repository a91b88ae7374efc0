// The Win32 window built from the stored definition, read back through
// Win32 calls: frame, size and place, units by class and position, styles,
// texts, fonts, colours, pointers and stacking.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>

#include "support/edit_box_rows.h"
#include "ui/win32/win32_caption_label.h"
#include "ui/win32/win32_picture_box.h"
#include "ui/window_geometry.h"
#include "window_fixture.h"

namespace vantor {
namespace {

using testing::BuiltWindow;
using testing::class_of;
using testing::ShownWindow;
using testing::text_of;

DWORD style_of(HWND window) { return static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)); }
DWORD ex_style_of(HWND window) { return static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)); }

// A window's place in its parent's client area.
RECT place_in_parent(HWND window) {
  RECT place{};
  ::GetWindowRect(window, &place);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

std::string expected_class(const unit_properties& properties) {
  if (std::holds_alternative<label_properties>(properties)) return "VantorCaptionLabel";
  if (std::holds_alternative<edit_box_properties>(properties)) return "Edit";
  if (std::holds_alternative<picture_box_properties>(properties)) return "VantorPictureBox";
  if (std::holds_alternative<button_properties>(properties)) return "Button";
  return {};
}

class BuiltUnit : public BuiltWindow, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(BuiltUnit, IsAChildOfItsClassAtItsStoredPlace) {
  const unit_definition& stored = main_window_definition().units[GetParam()];
  HWND child = unit(stored.name);
  if (!stored.visible) {
    EXPECT_EQ(child, nullptr) << "the archive component has no window";
    return;
  }
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(::GetParent(child), window());
  EXPECT_EQ(class_of(child), expected_class(stored.properties));
  const RECT place = place_in_parent(child);
  EXPECT_EQ(place.left, stored.left);
  EXPECT_EQ(place.top, stored.top);
  EXPECT_EQ(place.right - place.left, stored.width);
  EXPECT_EQ(place.bottom - place.top, stored.height);
  EXPECT_TRUE(style_of(child) & WS_VISIBLE);
  EXPECT_TRUE(style_of(child) & WS_CHILD);
  EXPECT_TRUE(::IsWindowEnabled(child));
  EXPECT_EQ((style_of(child) & WS_TABSTOP) != 0, stored.takes_focus);
}

INSTANTIATE_TEST_SUITE_P(main_window, BuiltUnit,
                         ::testing::Range<std::size_t>(0, main_window_definition().units.size()),
                         [](const ::testing::TestParamInfo<std::size_t>& row) {
                           return "unit_" + std::to_string(row.param);
                         });

TEST_F(BuiltWindow, IsHiddenWithItsCaptionAndAFixedFrame) {
  EXPECT_FALSE(::IsWindowVisible(window()));
  EXPECT_EQ(text_of(window()), "Vantor动画升级 by Orlo");
  EXPECT_EQ(class_of(window()), "VantorPatcherWindow");
  const DWORD style = style_of(window());
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD | WS_POPUP));
  EXPECT_TRUE(ex_style_of(window()) & WS_EX_APPWINDOW) << "on the taskbar";
  EXPECT_FALSE(ex_style_of(window()) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
  EXPECT_EQ(::GetWindow(window(), GW_OWNER), nullptr);
}

TEST_F(BuiltWindow, KeepsOnlyMoveAndCloseInItsSystemMenu) {
  HMENU menu = ::GetSystemMenu(window(), FALSE);
  ASSERT_NE(menu, nullptr);
  const auto has = [menu](UINT command) { return ::GetMenuState(menu, command, MF_BYCOMMAND) != 0xFFFFFFFF; };
  EXPECT_TRUE(has(SC_MOVE));
  EXPECT_TRUE(has(SC_CLOSE));
  EXPECT_EQ(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0u);
  for (const int gone : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) {
    EXPECT_FALSE(has(static_cast<UINT>(gone))) << gone;
  }
}

TEST_F(BuiltWindow, CarriesTheProgramIconAndTheButtonFace) {
  EXPECT_NE(::SendMessageW(window(), WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(::SendMessageW(window(), WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(::GetClassLongPtrW(window(), GCLP_HICON), 0u);
  EXPECT_EQ(::GetClassLongPtrW(window(), GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
}

TEST_F(BuiltWindow, StacksTheFirstStoredUnitOnTop) {
  std::vector<HWND> top_to_bottom;
  for (HWND child = ::GetWindow(window(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    top_to_bottom.push_back(child);
  }
  std::vector<HWND> stored;
  for (const unit_definition& u : main_window_definition().units) {
    if (HWND child = unit(u.name)) stored.push_back(child);
  }
  EXPECT_EQ(top_to_bottom, stored);
}

TEST_F(BuiltWindow, ShowsItsTexts) {
  EXPECT_EQ(text_of(unit("标签2")), "https://orlo.example.com/vantor/");
  EXPECT_EQ(toolkit.units().caption("标签2"), homepage_address);
  EXPECT_EQ(text_of(unit("标签1")), "动画信息");
  EXPECT_EQ(toolkit.units().caption("标签1"), "动画信息");
  EXPECT_EQ(text_of(unit("按钮1")), "复原");
  EXPECT_EQ(text_of(unit("按钮2")), "开始升级");
  // CR LF is one line break: two lines.
  HWND description = unit("编辑框1");
  EXPECT_EQ(text_of(description), "v0.4说明：\r\n【从此版本起可自行配置动画文件】");
  EXPECT_EQ(::SendMessageW(description, EM_GETLINECOUNT, 0, 0), 2);
  DWORD start = 1;
  DWORD end = 1;
  ::SendMessageW(description, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
  EXPECT_EQ(text_of(unit("编辑框2")), "");
}

// Each kind of box shows a text by the one rule of every desktop (the same
// table as the Qt window's): the description (several lines) and the
// summary (one line), which keeps line-end characters as they are.
class EditBoxContent : public BuiltWindow, public ::testing::WithParamInterface<testing_rows::edit_box_row> {};

TEST_P(EditBoxContent, ShowsTheLinesTheRuleGives) {
  const testing_rows::edit_box_row& row = GetParam();
  const std::string_view name = row.multi_line ? "编辑框1" : "编辑框2";
  toolkit.units().set_content(name, row.text);
  HWND box = unit(name);
  EXPECT_EQ(text_of(box), testing_rows::joined(row.lines, "\r\n"));
  if (row.multi_line) {
    EXPECT_EQ(::SendMessageW(box, EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(row.lines.size()));
  }
}

INSTANTIATE_TEST_SUITE_P(rows, EditBoxContent, ::testing::ValuesIn(testing_rows::edit_box_rows()),
                         [](const ::testing::TestParamInfo<testing_rows::edit_box_row>& row) {
                           return row.param.name;
                         });

TEST_F(BuiltWindow, PutsNewContentsInTheEditBoxesWithTheCaretAtTheStart) {
  toolkit.units().set_content("编辑框1", "第一行\n第二行\r\n第三行");
  toolkit.units().set_content("编辑框2", "总帧数=39， 起始帧=17061， 结束帧=17100");
  HWND description = unit("编辑框1");
  EXPECT_EQ(text_of(description), "第一行\r\n第二行\r\n第三行") << "LF becomes CR LF, CR LF stays";
  EXPECT_EQ(::SendMessageW(description, EM_GETLINECOUNT, 0, 0), 3);
  EXPECT_EQ(text_of(unit("编辑框2")), "总帧数=39， 起始帧=17061， 结束帧=17100");
  for (const char* name : {"编辑框1", "编辑框2"}) {
    DWORD start = 1;
    DWORD end = 1;
    ::SendMessageW(unit(name), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u) << name;
    EXPECT_EQ(end, 0u) << name;
  }
}

struct style_row {
  const char* unit;
  DWORD present;
  DWORD absent;
  DWORD ex_present;
  DWORD ex_absent;
};

void PrintTo(const style_row& row, std::ostream* out) { *out << row.unit; }

class UnitStyle : public BuiltWindow, public ::testing::WithParamInterface<style_row> {};

TEST_P(UnitStyle, HasItsStyles) {
  HWND child = unit(GetParam().unit);
  EXPECT_EQ(style_of(child) & GetParam().present, GetParam().present);
  EXPECT_EQ(style_of(child) & GetParam().absent, 0u);
  EXPECT_EQ(ex_style_of(child) & GetParam().ex_present, GetParam().ex_present);
  EXPECT_EQ(ex_style_of(child) & GetParam().ex_absent, 0u);
}

constexpr DWORD never_in_an_edit_box = ES_NOHIDESEL | ES_READONLY | ES_PASSWORD | ES_NUMBER | WS_DISABLED;

INSTANTIATE_TEST_SUITE_P(
    rows, UnitStyle,
    ::testing::Values(
        // The description: wrapping lines, Enter starts a new one, a
        // vertical scroll bar, sunken.
        style_row{"编辑框1", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL,
                  ES_AUTOHSCROLL | WS_HSCROLL | WS_BORDER | never_in_an_edit_box, WS_EX_CLIENTEDGE, 0},
        // The frame summary: one line scrolling with the caret. Its thin
        // line (WS_BORDER) the edit control may keep to itself (Wine's
        // does): the painted window shows it.
        style_row{"编辑框2", ES_AUTOHSCROLL, ES_MULTILINE | WS_VSCROLL | never_in_an_edit_box, 0, WS_EX_CLIENTEDGE},
        style_row{"按钮1", BS_MULTILINE, BS_DEFPUSHBUTTON | WS_DISABLED, 0, 0},
        style_row{"按钮2", BS_MULTILINE, BS_DEFPUSHBUTTON | WS_DISABLED, 0, 0}),
    [](const ::testing::TestParamInfo<style_row>& row) { return "unit_" + std::to_string(row.index); });

TEST_F(BuiltWindow, GivesTheButtonsThePlainPushButtonStyle) {
  for (const char* name : {"按钮1", "按钮2"}) {
    EXPECT_EQ(style_of(unit(name)) & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON)) << name;
    EXPECT_TRUE(::SendMessageW(unit(name), WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) << name << " is no default";
  }
}

struct label_font_row {
  const char* unit;
  LONG height;
  const wchar_t* caption;
};

void PrintTo(const label_font_row& row, std::ostream* out) { *out << row.unit; }

class LabelFont : public BuiltWindow, public ::testing::WithParamInterface<label_font_row> {};

TEST_P(LabelFont, IsBoldAtItsCharacterHeightInTheDefaultFaceWithEveryGlyph) {
  auto* font = reinterpret_cast<HFONT>(::SendMessageW(unit(GetParam().unit), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW record{};
  ASSERT_EQ(::GetObjectW(font, sizeof record, &record), static_cast<int>(sizeof record));
  EXPECT_EQ(record.lfHeight, GetParam().height);
  EXPECT_EQ(record.lfWeight, FW_BOLD);
  EXPECT_FALSE(record.lfItalic || record.lfUnderline || record.lfStrikeOut);
  EXPECT_EQ(record.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(std::wstring(record.lfFaceName), L"");
  EXPECT_TRUE(record.lfCharSet == DEFAULT_CHARSET || record.lfCharSet == GB2312_CHARSET);
  // The caption's every character has a glyph of the chosen font.
  HDC screen = ::GetDC(nullptr);
  const HGDIOBJ previous = ::SelectObject(screen, font);
  const std::wstring caption = GetParam().caption;
  std::vector<WORD> glyphs(caption.size());
  ::GetGlyphIndicesW(screen, caption.c_str(), static_cast<int>(caption.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), WORD{0xFFFF}), 0);
}

INSTANTIATE_TEST_SUITE_P(rows, LabelFont,
                         ::testing::Values(label_font_row{"标签2", -12, L"https://orlo.example.com/vantor/"},
                                           label_font_row{"标签1", -16, L"动画信息"}),
                         [](const ::testing::TestParamInfo<label_font_row>& row) {
                           return "label_" + std::to_string(row.index);
                         });

TEST_F(BuiltWindow, GivesEditBoxesAndButtonsTheDefaultGuiFont) {
  for (const char* name : {"编辑框1", "编辑框2", "按钮1", "按钮2"}) {
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(::SendMessageW(unit(name), WM_GETFONT, 0, 0)),
              ::GetStockObject(DEFAULT_GUI_FONT))
        << name;
  }
}

struct edit_colour_row {
  const char* unit;
  COLORREF background;
};

void PrintTo(const edit_colour_row& row, std::ostream* out) { *out << row.unit; }

class EditColours : public BuiltWindow, public ::testing::WithParamInterface<edit_colour_row> {};

TEST_P(EditColours, AreBlackOnTheStoredBackground) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(unit(GetParam().unit))));
  ASSERT_NE(brush, nullptr);
  LOGBRUSH fill{};
  ASSERT_NE(::GetObjectW(brush, sizeof fill, &fill), 0);
  EXPECT_EQ(fill.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(fill.lbColor, GetParam().background);
  EXPECT_EQ(::GetBkColor(dc), GetParam().background);
  EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 0));
  ::DeleteDC(dc);
}

INSTANTIATE_TEST_SUITE_P(rows, EditColours,
                         ::testing::Values(edit_colour_row{"编辑框1", RGB(0, 255, 0)},
                                           edit_colour_row{"编辑框2", RGB(255, 128, 192)}),
                         [](const ::testing::TestParamInfo<edit_colour_row>& row) {
                           return "box_" + std::to_string(row.index);
                         });

struct pointer_row {
  const char* unit;
  const wchar_t* shape;
};

void PrintTo(const pointer_row& row, std::ostream* out) { *out << row.unit; }

class LabelPointer : public BuiltWindow, public ::testing::WithParamInterface<pointer_row> {};

TEST_P(LabelPointer, IsSetOverTheLabel) {
  HWND label = unit(GetParam().unit);
  ::SetCursor(nullptr);
  EXPECT_TRUE(::SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, GetParam().shape));
}

INSTANTIATE_TEST_SUITE_P(rows, LabelPointer,
                         ::testing::Values(pointer_row{"标签2", IDC_HAND}, pointer_row{"标签1", IDC_ARROW}),
                         [](const ::testing::TestParamInfo<pointer_row>& row) {
                           return "label_" + std::to_string(row.index);
                         });

TEST_F(ShownWindow, IsCentredAtTheStoredOuterSizeByTheIntegerRule) {
  RECT outer{};
  ::GetWindowRect(window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 749);
  EXPECT_EQ(outer.bottom - outer.top, 341);
  const int screen_width = ::GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = ::GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(outer.left, (screen_width - 749) / 2);
  EXPECT_EQ(outer.top, (screen_height - 341) / 2);
  EXPECT_TRUE(::IsWindowVisible(window()));
  // The client area is what the frame leaves, and holds every unit.
  RECT frame{0, 0, 0, 0};
  ::AdjustWindowRectEx(&frame, style_of(window()), FALSE, ex_style_of(window()));
  RECT client{};
  ::GetClientRect(window(), &client);
  EXPECT_EQ(client.right, 749 - (frame.right - frame.left));
  EXPECT_EQ(client.bottom, 341 - (frame.bottom - frame.top));
  const window_size needed = units_extent(main_window_definition());
  EXPECT_GE(client.right, needed.width);
  EXPECT_GE(client.bottom, needed.height);
}

TEST_F(ShownWindow, PaintsEveryUnitInItsColours) {
  const testing::capture shot = testing::capture_client(toolkit, window());
  ASSERT_GE(shot.width, 736);
  ASSERT_GE(shot.height, 304);
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  // Where no unit is, and inside each box away from its text and borders.
  EXPECT_EQ(shot.at(4, 300), face);
  EXPECT_EQ(shot.at(shot.width - 2, shot.height - 2), face);
  EXPECT_EQ(shot.at(318 + 200, 190), RGB(0, 255, 0)) << "the description box";
  EXPECT_EQ(shot.at(318 + 20, 200), RGB(0, 255, 0));
  EXPECT_EQ(shot.at(408 + 300, 240 + 30), RGB(255, 128, 192)) << "the frame summary box";
  EXPECT_EQ(shot.at(408 + 3, 240 + 36), RGB(255, 128, 192));
  EXPECT_EQ(shot.at(408, 240 + 20), ::GetSysColor(COLOR_WINDOWFRAME)) << "its thin line border";
  // The labels: their text colours inside, the button face at their ends.
  std::size_t blue = 0;
  std::size_t red = 0;
  for (std::int32_t y = 288; y < 304; ++y) {
    for (std::int32_t x = 488; x < 736; ++x) blue += shot.at(x, y) == RGB(0, 0, 255) ? 1u : 0u;
  }
  for (std::int32_t y = 240; y < 272; ++y) {
    for (std::int32_t x = 328; x < 400; ++x) red += shot.at(x, y) == RGB(255, 0, 0) ? 1u : 0u;
  }
  EXPECT_GT(blue, 20u);
  EXPECT_GT(red, 20u);
  EXPECT_EQ(shot.at(735, 289), face) << "the link ends well before the label's right edge";
  EXPECT_EQ(shot.at(328, 240), face);
  // The initial cover, stretched over the whole picture box: no button
  // face left at its corners.
  for (const POINT corner : {POINT{7, 8}, POINT{310, 8}, POINT{7, 215}, POINT{310, 215}}) {
    EXPECT_NE(shot.at(corner.x, corner.y), face) << corner.x << ", " << corner.y;
  }
}

TEST_F(ShownWindow, OnTheScreenIs749By341WithItsBoxesWhereTheyBelong) {
  const testing::capture shot = testing::capture_on_screen(toolkit, window());
  EXPECT_EQ(shot.width, 749);
  EXPECT_EQ(shot.height, 341);
  // The client area's place in the whole window.
  RECT outer{};
  ::GetWindowRect(window(), &outer);
  POINT client{0, 0};
  ::ClientToScreen(window(), &client);
  const auto at = [&](std::int32_t x, std::int32_t y) {
    return shot.at(client.x - outer.left + x, client.y - outer.top + y);
  };
  EXPECT_EQ(at(318 + 200, 190), RGB(0, 255, 0)) << "the description box";
  EXPECT_EQ(at(318 + 5, 5 + 150), RGB(0, 255, 0));
  EXPECT_EQ(at(408 + 300, 240 + 30), RGB(255, 128, 192)) << "the frame summary box";
  EXPECT_EQ(at(4, 300), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_NE(at(7 + 152, 8 + 104), ::GetSysColor(COLOR_BTNFACE)) << "the cover";
}

}  // namespace
}  // namespace vantor
