// The stored main window, read as data: units, bindings, focus order,
// placement, and the event arguments handlers receive.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>

#include "support/tab_rows.h"
#include "ui/event_bindings.h"
#include "ui/focus_order.h"
#include "ui/window_definition.h"
#include "ui/window_geometry.h"

namespace vantor {
namespace {

enum class kind { label, edit_box, pic_box, button, zip };

kind kind_of(const unit_definition& unit) { return static_cast<kind>(unit.properties.index()); }

struct unit_row {
  const char* name;
  kind expected_kind;
  int left, top, width, height;
  bool takes_focus;
  bool visible;
  const char* initial_text;
};

const unit_row unit_rows[] = {
    {"标签2", kind::label, 488, 288, 248, 16, false, true, "https://orlo.example.com/vantor/"},
    {"标签1", kind::label, 328, 240, 72, 32, false, true, "动画信息"},
    {"编辑框2", kind::edit_box, 408, 240, 328, 40, true, true, ""},
    {"图片框1", kind::pic_box, 7, 8, 304, 208, false, true, ""},
    {"编辑框1", kind::edit_box, 318, 0, 418, 216, true, true, "v0.4说明：\r\n【从此版本起可自行配置动画文件】"},
    {"按钮1", kind::button, 192, 240, 96, 40, true, true, "复原"},
    {"按钮2", kind::button, 56, 240, 88, 40, true, true, "开始升级"},
    {"ZIP压缩1", kind::zip, 8, 232, 64, 16, false, false, ""},
};

class StoredUnit : public ::testing::TestWithParam<std::size_t> {};

TEST_P(StoredUnit, MatchesItsRowInStoredOrder) {
  const unit_row& row = unit_rows[GetParam()];
  const window_definition& window = main_window_definition();
  ASSERT_EQ(window.units.size(), std::size(unit_rows));
  const unit_definition& unit = window.units[GetParam()];
  EXPECT_EQ(unit.name, row.name);
  EXPECT_EQ(kind_of(unit), row.expected_kind);
  EXPECT_EQ(unit.left, row.left);
  EXPECT_EQ(unit.top, row.top);
  EXPECT_EQ(unit.width, row.width);
  EXPECT_EQ(unit.height, row.height);
  EXPECT_EQ(unit.takes_focus, row.takes_focus);
  EXPECT_EQ(unit.focus_order, 0);
  EXPECT_EQ(unit.visible, row.visible);
  EXPECT_EQ(unit.initial_text, row.initial_text);
}

INSTANTIATE_TEST_SUITE_P(main_window, StoredUnit, ::testing::Range<std::size_t>(0, std::size(unit_rows)),
                         [](const ::testing::TestParamInfo<std::size_t>& row) {
                           return "unit_" + std::to_string(row.param);
                         });

TEST(MainWindow, IsTheFixedPatcherWindow) {
  const window_definition& window = main_window_definition();
  EXPECT_EQ(window.caption, "Vantor动画升级 by Orlo");
  EXPECT_EQ(window.outer_width, 749);
  EXPECT_EQ(window.outer_height, 341);
  EXPECT_EQ(window.stored_left, 50);
  EXPECT_EQ(window.stored_top, 50);
  EXPECT_FALSE(window.resizable);
  EXPECT_FALSE(window.minimise_box);
  EXPECT_FALSE(window.maximise_box);
  EXPECT_TRUE(window.close_box);
  EXPECT_TRUE(window.escape_closes);
  EXPECT_EQ(window.background, button_face_colour);
  EXPECT_EQ(find_window_definition(main_window_id), &window);
  EXPECT_EQ(find_window_definition(main_window_id + 1), nullptr);
  EXPECT_TRUE(is_buildable(window));
}

TEST(MainWindow, LabelsEditBoxesAndPictureBoxCarryTheirLooks) {
  const window_definition& window = main_window_definition();
  const auto& link = std::get<label_properties>(find_unit(window, "标签2")->properties);
  EXPECT_EQ(link.text_colour, fixed_colour(0, 0, 255));
  EXPECT_EQ(link.background, button_face_colour);
  EXPECT_EQ(link.font.character_height, 12);
  EXPECT_EQ(link.font.weight, 700);
  EXPECT_FALSE(link.font.italic || link.font.underline || link.font.strike_out);
  EXPECT_EQ(link.pointer, pointer_shape::hand);

  const auto& title = std::get<label_properties>(find_unit(window, "标签1")->properties);
  EXPECT_EQ(title.text_colour, fixed_colour(255, 0, 0));
  EXPECT_EQ(title.font.character_height, 16);
  EXPECT_EQ(title.font.weight, 700);
  EXPECT_EQ(title.pointer, pointer_shape::arrow);

  const auto& description = std::get<edit_box_properties>(find_unit(window, "编辑框1")->properties);
  EXPECT_TRUE(description.multi_line);
  EXPECT_TRUE(description.vertical_scroll_bar);
  EXPECT_EQ(description.border, edit_border::sunken);
  EXPECT_EQ(description.background, fixed_colour(0, 255, 0));
  EXPECT_EQ(description.text_colour, fixed_colour(0, 0, 0));

  const auto& summary = std::get<edit_box_properties>(find_unit(window, "编辑框2")->properties);
  EXPECT_FALSE(summary.multi_line);
  EXPECT_FALSE(summary.vertical_scroll_bar);
  EXPECT_EQ(summary.border, edit_border::thin_line);
  EXPECT_EQ(summary.background, fixed_colour(255, 128, 192));

  const auto& cover = std::get<picture_box_properties>(find_unit(window, "图片框1")->properties);
  EXPECT_EQ(cover.background, button_face_colour);
  ASSERT_GT(cover.initial_picture.size(), 4u);
  EXPECT_EQ(cover.initial_picture[0], 0xFF);  // a JPEG
  EXPECT_EQ(cover.initial_picture[1], 0xD8);

  for (const char* name : {"按钮1", "按钮2"}) {
    EXPECT_FALSE(std::get<button_properties>(find_unit(window, name)->properties).default_button) << name;
  }
}

TEST(MainWindow, BindsExactlyTheFourSessionCommands) {
  const window_definition& window = main_window_definition();
  ASSERT_EQ(window.bindings.size(), 4u);
  EXPECT_EQ(bound_command(window, "", unit_event::created), session_command::start_session);
  EXPECT_EQ(bound_command(window, "按钮2", unit_event::clicked), session_command::on_upgrade_clicked);
  EXPECT_EQ(bound_command(window, "按钮1", unit_event::clicked), session_command::on_restore_clicked);
  EXPECT_EQ(bound_command(window, "标签2", unit_event::left_button_released), session_command::open_homepage);
  // Nothing else does anything: the edit boxes, the other label, the picture.
  EXPECT_EQ(bound_command(window, "标签1", unit_event::left_button_released), std::nullopt);
  EXPECT_EQ(bound_command(window, "标签2", unit_event::clicked), std::nullopt);
  EXPECT_EQ(bound_command(window, "编辑框1", unit_event::clicked), std::nullopt);
}

struct raised_row {
  const char* unit;
  unit_event event;
  bool handed_on;
};

std::ostream& operator<<(std::ostream& out, const raised_row& row) {
  return out << "'" << row.unit << "' event " << static_cast<int>(row.event);
}

class RaisedEvent : public ::testing::TestWithParam<raised_row> {};

// Every front end and the frame hand on exactly the events the table binds.
TEST_P(RaisedEvent, ReachesTheSinkOnlyWhenTheTableBindsIt) {
  const raised_row& row = GetParam();
  std::vector<std::string> seen;
  const event_sink sink = [&seen](std::string_view unit, unit_event event, const event_args& args) {
    seen.push_back(std::string(unit) + "/" + std::to_string(static_cast<int>(event)) + "/" + std::to_string(args.x) +
                   "," + std::to_string(args.y) + "," + std::to_string(args.key_state));
  };
  const event_args args{3, 4, 2};
  EXPECT_EQ(raise_bound_event(main_window_definition(), sink, row.unit, row.event, args), row.handed_on);
  if (row.handed_on) {
    EXPECT_EQ(seen, (std::vector<std::string>{std::string(row.unit) + "/" +
                                              std::to_string(static_cast<int>(row.event)) + "/3,4,2"}));
  } else {
    EXPECT_TRUE(seen.empty());
  }
  // Without a sink nothing is handed on, bound or not.
  EXPECT_FALSE(raise_bound_event(main_window_definition(), event_sink{}, row.unit, row.event, args));
}

INSTANTIATE_TEST_SUITE_P(rows, RaisedEvent,
                         ::testing::Values(raised_row{"", unit_event::created, true},
                                           raised_row{"按钮2", unit_event::clicked, true},
                                           raised_row{"按钮1", unit_event::clicked, true},
                                           raised_row{"标签2", unit_event::left_button_released, true},
                                           raised_row{"标签1", unit_event::left_button_released, false},
                                           raised_row{"标签2", unit_event::clicked, false},
                                           raised_row{"编辑框1", unit_event::clicked, false},
                                           raised_row{"按钮2", unit_event::created, false},
                                           raised_row{"", unit_event::clicked, false}));

// ---------------------------------------------------------------------------
// Focus order.

TEST(FocusOrder, OfTheMainWindowIsUpgradeRestoreDescriptionSummary) {
  EXPECT_EQ(focus_chain(main_window_definition()),
            (std::vector<std::string_view>{"按钮2", "按钮1", "编辑框1", "编辑框2"}));
}

struct focus_order_row {
  const char* name;
  std::vector<int> numbers;             // focus-order numbers of units a, b, c, d in stored order
  std::vector<std::string_view> chain;  // the expected Tab order
};

std::ostream& operator<<(std::ostream& out, const focus_order_row& row) { return out << row.name; }

class FocusOrderRule : public ::testing::TestWithParam<focus_order_row> {};

TEST_P(FocusOrderRule, SortsByNumberThenReverseStoredOrder) {
  window_definition window;
  window.outer_width = 100;
  window.outer_height = 100;
  const char* names[] = {"a", "b", "c", "d"};
  for (std::size_t i = 0; i < 4; ++i) {
    window.units.push_back({.name = names[i],
                            .takes_focus = true,
                            .focus_order = GetParam().numbers[i],
                            .properties = button_properties{}});
  }
  // Units that do not take the focus never join the chain.
  window.units.push_back({.name = "label", .takes_focus = false, .properties = label_properties{}});
  EXPECT_EQ(focus_chain(window), GetParam().chain);
}

INSTANTIATE_TEST_SUITE_P(rows, FocusOrderRule,
                         ::testing::Values(focus_order_row{"all_equal", {0, 0, 0, 0}, {"d", "c", "b", "a"}},
                                           focus_order_row{"ascending", {1, 2, 3, 4}, {"a", "b", "c", "d"}},
                                           focus_order_row{"descending", {4, 3, 2, 1}, {"d", "c", "b", "a"}},
                                           focus_order_row{"ties_reversed", {1, 0, 1, 0}, {"d", "b", "c", "a"}}),
                         [](const ::testing::TestParamInfo<focus_order_row>& row) { return row.param.name; });

class TabMove : public ::testing::TestWithParam<testing_rows::tab_press> {};

TEST_P(TabMove, WrapsAroundAtBothEnds) {
  const auto chain = focus_chain(main_window_definition());
  EXPECT_EQ(next_in_focus_chain(chain, GetParam().from, !GetParam().shift), GetParam().to);
}

// The front ends' Tab table, and from a unit outside the chain nowhere.
std::vector<testing_rows::tab_press> tab_moves() {
  std::vector<testing_rows::tab_press> rows = testing_rows::main_window_tab_rows();
  rows.push_back({"", false, ""});
  rows.push_back({"标签2", true, ""});
  return rows;
}

INSTANTIATE_TEST_SUITE_P(rows, TabMove, ::testing::ValuesIn(tab_moves()));

// ---------------------------------------------------------------------------
// Placement.

struct centring_row {
  window_size screen;
  window_point origin;
};

class Centring : public ::testing::TestWithParam<centring_row> {};

TEST_P(Centring, UsesTheFullScreenAndIntegerDivision) {
  EXPECT_EQ(centred_origin(GetParam().screen, {749, 341}), GetParam().origin);
}

INSTANTIATE_TEST_SUITE_P(rows, Centring,
                         ::testing::Values(centring_row{{1280, 800}, {265, 229}},
                                           centring_row{{1920, 1080}, {585, 369}},
                                           centring_row{{1024, 768}, {137, 213}}, centring_row{{750, 342}, {0, 0}},
                                           centring_row{{749, 341}, {0, 0}},
                                           // A smaller screen: division truncates toward zero.
                                           centring_row{{700, 300}, {-24, -20}}));

struct frame_row {
  frame_extents frame;
  window_size client;
};

class ClientArea : public ::testing::TestWithParam<frame_row> {};

TEST_P(ClientArea, KeepsTheOuterSizeButHoldsEveryUnit) {
  EXPECT_EQ(client_size(main_window_definition(), GetParam().frame), GetParam().client);
}

INSTANTIATE_TEST_SUITE_P(rows, ClientArea,
                         ::testing::Values(frame_row{{0, 0, 0, 0}, {749, 341}}, frame_row{{1, 20, 1, 1}, {747, 320}},
                                           frame_row{{3, 26, 3, 3}, {743, 312}},
                                           frame_row{{8, 40, 8, 8}, {736, 304}},  // never below the units
                                           frame_row{{20, 60, 20, 20}, {736, 304}}));

TEST(ClientArea, IsAtLeastWhatTheUnitsNeed) {
  EXPECT_EQ(units_extent(main_window_definition()), (window_size{736, 304}));
}

TEST(Buildable, RefusesDefinitionsThatCannotBeBuilt) {
  const window_definition& good = main_window_definition();
  EXPECT_TRUE(is_buildable(good));

  window_definition duplicate = good;
  duplicate.units.push_back(duplicate.units.front());
  EXPECT_FALSE(is_buildable(duplicate));

  window_definition unnamed = good;
  unnamed.units[0].name = "";
  EXPECT_FALSE(is_buildable(unnamed));

  window_definition negative = good;
  negative.units[2].width = -1;
  EXPECT_FALSE(is_buildable(negative));

  window_definition dangling = good;
  dangling.bindings.push_back({"按钮3", unit_event::clicked, session_command::on_upgrade_clicked});
  EXPECT_FALSE(is_buildable(dangling));

  window_definition empty = good;
  empty.outer_width = 0;
  EXPECT_FALSE(is_buildable(empty));
}

// ---------------------------------------------------------------------------
// Event arguments.

struct coordinate_row {
  std::int32_t pointer;
  std::int32_t passed;
};

class PointerCoordinate : public ::testing::TestWithParam<coordinate_row> {};

TEST_P(PointerCoordinate, IsPassedAsAnUnsigned16BitValue) {
  EXPECT_EQ(mouse_coordinate(GetParam().pointer), GetParam().passed);
}

INSTANTIATE_TEST_SUITE_P(rows, PointerCoordinate,
                         ::testing::Values(coordinate_row{0, 0}, coordinate_row{247, 247}, coordinate_row{65535, 65535},
                                           coordinate_row{65536, 0}, coordinate_row{70000, 4464},
                                           coordinate_row{-1, 65535}, coordinate_row{-3, 65533}));

TEST(KeyState, AddsOneForCtrlTwoForShiftFourForAlt) {
  for (int bits = 0; bits < 8; ++bits) {
    EXPECT_EQ(key_state_of((bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0), bits);
  }
}

}  // namespace
}  // namespace vantor
