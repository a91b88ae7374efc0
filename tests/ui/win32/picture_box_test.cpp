// The picture box: each recognised format decoded and stretched over the
// whole box, an animated GIF playing, and blank (the button face) for what
// cannot be shown.

#include <gtest/gtest.h>

#include "support/picture_bytes.h"
#include "support/temp_folder.h"
#include "ui/win32/win32_picture_box.h"
#include "ui/win32/win32_picture_decoder.h"
#include "window_fixture.h"

extern const unsigned char vantor_initial_cover[];
extern const std::size_t vantor_initial_cover_size;

namespace vantor {
namespace {

using testing::bitmap_file;
using testing::icon_file;
using testing::rgb;
using testing::ShownWindow;

constexpr rgb red{255, 0, 0};
constexpr rgb blue{0, 0, 255};
constexpr rgb green{0, 255, 0};

// The box's place in the window's client area.
constexpr RECT box_place{7, 8, 7 + 304, 8 + 208};

struct picture_row {
  const char* name;
  byte_string bytes;
  picture_format format;
  std::size_t frames;
  bool blank;
  COLORREF centre;  ///< for pictures that show
};

void PrintTo(const picture_row& row, std::ostream* out) { *out << row.name; }

std::vector<picture_row> picture_rows() {
  const byte_string junk_bitmap{'B', 'M', 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70};
  const byte_string pcx{0x0A, 0x05, 0x01, 0x08, 0, 0, 0, 0, 0, 0, 0, 0};
  const byte_string cover(vantor_initial_cover, vantor_initial_cover + vantor_initial_cover_size);
  return {
      {"bitmap", bitmap_file(16, 8, red, red), picture_format::bitmap, 1, false, RGB(255, 0, 0)},
      {"jpeg", cover, picture_format::jpeg, 1, false, 0},
      // The largest image of an icon or cursor file is the one shown.
      {"icon", icon_file(1, {{16, red}, {32, blue}}), picture_format::icon, 1, false, RGB(0, 0, 255)},
      {"cursor", icon_file(2, {{32, green}, {16, red}}), picture_format::cursor, 1, false, RGB(0, 255, 0)},
      {"animated_gif", testing::two_frame_gif(), picture_format::gif, 2, false, RGB(255, 0, 0)},
      {"undecodable_bitmap", junk_bitmap, picture_format::bitmap, 0, true, 0},
      {"pcx", pcx, picture_format::pcx_8bit, 0, true, 0},
      {"unknown", testing::bytes_of("not a picture"), picture_format::none, 0, true, 0},
      {"empty", {}, picture_format::none, 0, true, 0},
  };
}

class Picture : public ShownWindow, public ::testing::WithParamInterface<picture_row> {};

TEST_P(Picture, IsDecodedAndStretchedOverTheBoxOrLeavesItBlank) {
  const picture_row& row = GetParam();
  toolkit.units().set_picture("图片框1", row.bytes);
  win32_picture_box* box = toolkit.window()->picture_box("图片框1");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->format(), row.format);
  EXPECT_EQ(box->frame_count(), row.frames);
  EXPECT_EQ(box->is_animating(), row.frames > 1);
  const testing::capture shot = testing::capture_client(toolkit, window());
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  const POINT corners[] = {{box_place.left, box_place.top},
                           {box_place.right - 1, box_place.top},
                           {box_place.left, box_place.bottom - 1},
                           {box_place.right - 1, box_place.bottom - 1}};
  for (const POINT corner : corners) {
    if (row.blank) {
      EXPECT_EQ(shot.at(corner.x, corner.y), face) << corner.x << ", " << corner.y;
    } else {
      EXPECT_NE(shot.at(corner.x, corner.y), face) << corner.x << ", " << corner.y;
    }
  }
  if (!row.blank && row.centre != 0) {
    EXPECT_EQ(shot.at((box_place.left + box_place.right) / 2, (box_place.top + box_place.bottom) / 2), row.centre);
  }
}

INSTANTIATE_TEST_SUITE_P(rows, Picture, ::testing::ValuesIn(picture_rows()),
                         [](const ::testing::TestParamInfo<picture_row>& row) { return row.param.name; });

TEST_F(ShownWindow, StretchesWidthAndHeightApart) {
  // A 4 × 2 picture, red left half and green right half, over the 304 ×
  // 208 box: the halves fill the box's halves; nothing keeps the aspect.
  toolkit.units().set_picture("图片框1", bitmap_file(4, 2, red, green));
  const testing::capture shot = testing::capture_client(toolkit, window());
  EXPECT_EQ(shot.at(box_place.left + 2, box_place.top + 2), RGB(255, 0, 0));
  EXPECT_EQ(shot.at(box_place.left + 100, box_place.bottom - 3), RGB(255, 0, 0));
  EXPECT_EQ(shot.at(box_place.right - 3, box_place.top + 2), RGB(0, 255, 0));
  EXPECT_EQ(shot.at(box_place.right - 100, box_place.bottom - 3), RGB(0, 255, 0));
}

TEST_F(ShownWindow, PlaysAnAnimatedGif) {
  toolkit.units().set_picture("图片框1", testing::two_frame_gif());
  win32_picture_box* box = toolkit.window()->picture_box("图片框1");
  ASSERT_EQ(box->frame_count(), 2u);
  EXPECT_EQ(box->current_frame(), 0u);
  ASSERT_TRUE(testing::deliver_until(toolkit, [box] { return box->current_frame() == 1; }));
  const testing::capture shot = testing::capture_client(toolkit, window());
  EXPECT_EQ(shot.at(150, 100), RGB(0, 0, 255)) << "the second frame is on show";
  ASSERT_TRUE(testing::deliver_until(toolkit, [box] { return box->current_frame() == 0; })) << "and it loops";
  // A new picture stops the animation.
  toolkit.units().set_picture("图片框1", bitmap_file(2, 2, red, red));
  EXPECT_FALSE(box->is_animating());
}

}  // namespace
}  // namespace vantor
