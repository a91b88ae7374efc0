// The picture box's rules that need no toolkit: how long a GIF frame shows
// and how a picture is stretched over a box of any size.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "ui/picture_format.h"
#include "ui/picture_stretch.h"

namespace vantor {
namespace {

struct delay_row {
  std::uint32_t hundredths;
  std::uint32_t ms;
};

void PrintTo(const delay_row& row, std::ostream* out) { *out << row.hundredths << "/100 s"; }

class GifFrameDelay : public ::testing::TestWithParam<delay_row> {};

TEST_P(GifFrameDelay, FollowsTheBrowsers) { EXPECT_EQ(gif_frame_delay_ms(GetParam().hundredths), GetParam().ms); }

INSTANTIATE_TEST_SUITE_P(rows, GifFrameDelay,
                         ::testing::Values(delay_row{0, 100}, delay_row{1, 100}, delay_row{2, 20}, delay_row{10, 100},
                                           delay_row{20, 200}, delay_row{65535, 655350}));

struct stretch_row {
  const char* name;
  std::vector<std::uint32_t> pixels;
  std::int32_t width;
  std::int32_t height;
  std::int32_t new_width;
  std::int32_t new_height;
  std::vector<std::uint32_t> expected;
};

void PrintTo(const stretch_row& row, std::ostream* out) { *out << row.name; }

class Stretch : public ::testing::TestWithParam<stretch_row> {};

TEST_P(Stretch, AveragesWhenShrinkingAndBlendsNeighboursWhenGrowing) {
  const stretch_row& row = GetParam();
  EXPECT_EQ(stretch_pixels(row.pixels, row.width, row.height, row.new_width, row.new_height), row.expected);
}

constexpr std::uint32_t black = 0xFF000000;
constexpr std::uint32_t white = 0xFFFFFFFF;
constexpr std::uint32_t grey = 0xFF808080;
constexpr std::uint32_t clear = 0x00000000;
constexpr std::uint32_t half_white = 0x80808080;  // premultiplied white at half cover

INSTANTIATE_TEST_SUITE_P(
    rows, Stretch,
    ::testing::Values(stretch_row{"same_size", {black, white}, 2, 1, 2, 1, {black, white}},
                      stretch_row{"halved_width", {black, white, white, white}, 4, 1, 2, 1, {grey, white}},
                      stretch_row{"halved_both", {black, white, white, black}, 2, 2, 1, 1, {grey}},
                      stretch_row{"doubled_width", {black, white}, 2, 1, 4, 1, {black, 0xFF404040, 0xFFBFBFBF, white}},
                      stretch_row{"taller_only", {white}, 1, 1, 1, 3, {white, white, white}},
                      stretch_row{"alpha_averaged", {clear, white}, 2, 1, 1, 1, {half_white}},
                      stretch_row{"empty_source", {}, 0, 0, 2, 2, {}},
                      stretch_row{"short_pixels", {black}, 2, 1, 1, 1, {}}),
    [](const ::testing::TestParamInfo<stretch_row>& row) { return row.param.name; });

}  // namespace
}  // namespace vantor
