// The picture box: what it shows for each kind of bytes, stretched over the
// whole box, and animated GIFs playing.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <functional>
#include <ostream>

#include "services/values.h"
#include "ui/qt/qt_picture_box.h"

namespace vantor {
namespace {

const QColor background(236, 233, 216);

byte_string encoded(const QImage& image, const char* format) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format)) << format;
  return byte_string(data.begin(), data.end());
}

QImage solid(QColor colour, int width = 16, int height = 16) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Two 4 x 4 frames, red then blue, looping.
const byte_string two_frame_gif = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x04, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x21, 0xf9, 0x04, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b, 0x4e, 0x45, 0x54, 0x53, 0x43, 0x41, 0x50, 0x45,
    0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x02,
    0x04, 0x84, 0x8f, 0x09, 0x05, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00,
    0x04, 0x00, 0x04, 0x00, 0x80, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x02, 0x04, 0x84, 0x8f, 0x09, 0x05, 0x00, 0x3b};

byte_string with_byte(byte_string bytes, std::size_t index, std::uint8_t value) {
  bytes[index] = value;
  return bytes;
}

byte_string truncated(byte_string bytes, std::size_t length) {
  bytes.resize(length);
  return bytes;
}

struct picture_row {
  const char* name;
  std::function<byte_string()> bytes;
  picture_format format;
  bool shows_picture;
};

std::ostream& operator<<(std::ostream& out, const picture_row& row) { return out << row.name; }

const picture_row picture_rows[] = {
    {"jpeg", [] { return encoded(solid(Qt::red), "JPEG"); }, picture_format::jpeg, true},
    {"bitmap", [] { return encoded(solid(Qt::red), "BMP"); }, picture_format::bitmap, true},
    {"icon", [] { return encoded(solid(Qt::red), "ICO"); }, picture_format::icon, true},
    {"gif", [] { return two_frame_gif; }, picture_format::gif, true},
    {"empty", [] { return byte_string{}; }, picture_format::none, false},
    {"five_bytes_of_jpeg", [] { return truncated(encoded(solid(Qt::red), "JPEG"), 5); }, picture_format::none, false},
    {"text", [] { return byte_string{'c', 'o', 'v', 'e', 'r', ' ', 'p', 'i', 'c'}; }, picture_format::none, false},
    {"png", [] { return encoded(solid(Qt::red), "PNG"); }, picture_format::none, false},
    {"jpeg_start_then_garbage", [] { return byte_string{0xFF, 0xD8, 1, 2, 3, 4, 5, 6, 7, 8}; }, picture_format::jpeg,
     false},
    {"cut_off_bitmap", [] { return truncated(encoded(solid(Qt::red), "BMP"), 40); }, picture_format::bitmap, false},
    {"pcx_header_only", [] { return byte_string{0x0A, 5, 1, 8, 0, 0, 0, 0}; }, picture_format::pcx_8bit, false},
    {"icon_with_no_images", [] { return with_byte(encoded(solid(Qt::red), "ICO"), 4, 0); }, picture_format::none,
     false},
};

class PictureBytes : public ::testing::TestWithParam<picture_row> {
 protected:
  void SetUp() override {
    box.resize(304, 208);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  }
  qt_picture_box box{nullptr, background};
};

TEST_P(PictureBytes, ShowThePictureOrOnlyTheBackground) {
  box.set_picture(GetParam().bytes());
  EXPECT_EQ(box.format(), GetParam().format);
  const QImage shown = box.grab().toImage();
  const QColor centre = shown.pixelColor(152, 104);
  if (GetParam().shows_picture) {
    EXPECT_FALSE(box.current_image().isNull());
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 60);
    EXPECT_LT(centre.blue(), 60);
  } else {
    EXPECT_TRUE(box.current_image().isNull());
    for (const QPoint point : {QPoint(0, 0), QPoint(152, 104), QPoint(303, 207)}) {
      EXPECT_EQ(shown.pixelColor(point), background) << point.x() << "," << point.y();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(rows, PictureBytes, ::testing::ValuesIn(picture_rows),
                         [](const ::testing::TestParamInfo<picture_row>& row) { return row.param.name; });

TEST(PictureBox, StretchesThePictureOverTheWholeBox) {
  qt_picture_box box(nullptr, background);
  box.resize(304, 208);
  QImage halves(2, 1, QImage::Format_RGB32);
  halves.setPixelColor(0, 0, Qt::red);
  halves.setPixelColor(1, 0, Qt::blue);
  box.set_picture(encoded(halves, "BMP"));
  const QImage shown = box.grab().toImage();
  EXPECT_EQ(shown.size(), QSize(304, 208));
  // The corners belong to the picture: no border, no letterbox.
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(0, 207), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(303, 0), QColor(Qt::blue));
  EXPECT_EQ(shown.pixelColor(303, 207), QColor(Qt::blue));
  EXPECT_GT(shown.pixelColor(40, 104).red(), 200);
  EXPECT_GT(shown.pixelColor(263, 104).blue(), 200);
}

TEST(PictureBox, PlaysAnAnimatedGif) {
  qt_picture_box box(nullptr, background);
  box.resize(304, 208);
  box.set_picture(two_frame_gif);
  EXPECT_TRUE(box.is_animating());
  // The second frame arrives through the event loop, not by asking.
  EXPECT_TRUE(QTest::qWaitFor([&] { return box.current_image().pixelColor(1, 1) == QColor(Qt::blue); }, 5000));
}

TEST(PictureBox, ReplacingAPictureWithNothingLeavesTheBackground) {
  qt_picture_box box(nullptr, background);
  box.resize(304, 208);
  box.set_picture(encoded(solid(Qt::red), "JPEG"));
  ASSERT_FALSE(box.current_image().isNull());
  box.set_picture({});
  EXPECT_TRUE(box.current_image().isNull());
  EXPECT_FALSE(box.is_animating());
  EXPECT_EQ(box.grab().toImage().pixelColor(152, 104), background);
}

}  // namespace
}  // namespace vantor
