// The window's pixel geometry at the screen's DPI: the stored one at 96
// (100 %), grown by DPI / 96 otherwise, label fonts with it.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>

#include "ui/dpi_scaling.h"

namespace vantor {
namespace {

struct dpi_row {
  std::int32_t dpi;
  std::int32_t outer_width;
  std::int32_t outer_height;
  std::int32_t link_left;
  std::int32_t link_width;
  std::int32_t link_font;
  std::int32_t title_font;
};

void PrintTo(const dpi_row& row, std::ostream* out) { *out << row.dpi << " dpi"; }

class Scaled : public ::testing::TestWithParam<dpi_row> {};

TEST_P(Scaled, GrowsPlacesSizesAndLabelFontsByDpiOver96) {
  const dpi_row& row = GetParam();
  const window_definition& stored = main_window_definition();
  const window_definition window = scaled_definition(stored, row.dpi);
  EXPECT_EQ(window.outer_width, row.outer_width);
  EXPECT_EQ(window.outer_height, row.outer_height);
  const unit_definition& link = window.units[0];
  ASSERT_EQ(link.name, "标签2");
  EXPECT_EQ(link.left, row.link_left);
  EXPECT_EQ(link.width, row.link_width);
  EXPECT_EQ(std::get<label_properties>(link.properties).font.character_height, row.link_font);
  EXPECT_EQ(std::get<label_properties>(window.units[1].properties).font.character_height, row.title_font);
  // Everything else stays as stored.
  ASSERT_EQ(window.units.size(), stored.units.size());
  for (std::size_t i = 0; i < stored.units.size(); ++i) {
    EXPECT_EQ(window.units[i].name, stored.units[i].name);
    EXPECT_EQ(window.units[i].initial_text, stored.units[i].initial_text);
    EXPECT_EQ(window.units[i].takes_focus, stored.units[i].takes_focus);
    EXPECT_EQ(window.units[i].left, scale_for_dpi(stored.units[i].left, row.dpi));
    EXPECT_EQ(window.units[i].top, scale_for_dpi(stored.units[i].top, row.dpi));
    EXPECT_EQ(window.units[i].height, scale_for_dpi(stored.units[i].height, row.dpi));
  }
  EXPECT_EQ(window.caption, stored.caption);
}

INSTANTIATE_TEST_SUITE_P(
    rows, Scaled,
    ::testing::Values(dpi_row{96, 749, 341, 488, 248, 12, 16}, dpi_row{120, 936, 426, 610, 310, 15, 20},
                      dpi_row{144, 1124, 512, 732, 372, 18, 24}, dpi_row{192, 1498, 682, 976, 496, 24, 32}),
    [](const ::testing::TestParamInfo<dpi_row>& row) { return "dpi_" + std::to_string(row.param.dpi); });

struct rounding_row {
  std::int32_t value;
  std::int32_t dpi;
  std::int32_t scaled;
};

void PrintTo(const rounding_row& row, std::ostream* out) { *out << row.value << " at " << row.dpi << " dpi"; }

class Rounding : public ::testing::TestWithParam<rounding_row> {};

TEST_P(Rounding, GoesToTheNearestPixelWithHalvesAwayFromZero) {
  EXPECT_EQ(scale_for_dpi(GetParam().value, GetParam().dpi), GetParam().scaled);
}

INSTANTIATE_TEST_SUITE_P(rows, Rounding,
                         ::testing::Values(rounding_row{0, 144, 0}, rounding_row{1, 144, 2}, rounding_row{-1, 144, -2},
                                           rounding_row{3, 120, 4}, rounding_row{5, 120, 6}, rounding_row{-5, 120, -6},
                                           rounding_row{341, 120, 426}, rounding_row{749, 96, 749},
                                           rounding_row{2, 72, 2}, rounding_row{1, 72, 1}));

}  // namespace
}  // namespace vantor
