// A window's units by name and handle, and the Tab walk over them, with
// stand-in handles: what both front ends do with their widgets and windows.

#include <gtest/gtest.h>

#include <string>

#include "support/tab_rows.h"
#include "ui/unit_registry.h"
#include "ui/window_definition.h"

namespace vantor {
namespace {

// A stand-in handle per unit of the main window that has one.
unit_registry<const unit_definition*> main_window_units() {
  unit_registry<const unit_definition*> units;
  for (const unit_definition& unit : main_window_definition().units) units.add(unit.name, &unit);
  return units;
}

TEST(UnitRegistry, FindsEachUnitByNameAndByHandle) {
  const auto units = main_window_units();
  for (const unit_definition& unit : main_window_definition().units) {
    EXPECT_EQ(units.handle(unit.name), &unit) << unit.name;
    EXPECT_EQ(units.name(&unit), unit.name);
  }
}

TEST(UnitRegistry, KnowsNothingOfOtherNamesAndHandles) {
  const auto units = main_window_units();
  const unit_definition stranger{};
  EXPECT_EQ(units.handle("按钮3"), nullptr);
  EXPECT_EQ(units.handle(""), nullptr);
  EXPECT_EQ(units.name(&stranger), "");
  EXPECT_EQ(units.name(nullptr), "");
}

TEST(UnitRegistry, KeepsANameItHandedOutWhileUnitsAreAdded) {
  unit_registry<int> units;
  units.add("按钮1", 1);
  const std::string_view first = units.name(1);
  for (int i = 2; i < 100; ++i) units.add("unit" + std::to_string(i), i);
  EXPECT_EQ(first, "按钮1");
  units.add("按钮1", 200);  // registered again: the new handle counts
  EXPECT_EQ(units.handle("按钮1"), 200);
  EXPECT_EQ(units.name(1), "");
}

class TabWalk : public ::testing::TestWithParam<testing_rows::tab_press> {};

TEST_P(TabWalk, MovesAlongTheFocusOrderWithWrapAround) {
  const auto units = main_window_units();
  const auto chain = focus_chain(main_window_definition());
  const testing_rows::tab_press& row = GetParam();
  EXPECT_EQ(units.next_in_tab_order(chain, units.handle(row.from), !row.shift), units.handle(row.to));
  EXPECT_EQ(units.name(units.next_in_tab_order(chain, units.handle(row.from), !row.shift)), row.to);
}

INSTANTIATE_TEST_SUITE_P(rows, TabWalk, ::testing::ValuesIn(testing_rows::main_window_tab_rows()));

TEST(TabWalk, MovesNothingFromTheWindowItselfOrAUnitOutsideTheOrder) {
  const auto units = main_window_units();
  const auto chain = focus_chain(main_window_definition());
  for (const bool forward : {true, false}) {
    EXPECT_EQ(units.next_in_tab_order(chain, nullptr, forward), nullptr);
    EXPECT_EQ(units.next_in_tab_order(chain, units.handle("标签2"), forward), nullptr);
    EXPECT_EQ(units.next_in_tab_order(chain, units.handle("图片框1"), forward), nullptr);
  }
}

}  // namespace
}  // namespace vantor
