// Recognising a picture by its first six bytes.

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "ui/picture_format.h"

namespace vantor {
namespace {

struct leading_bytes_row {
  const char* name;
  std::vector<std::uint8_t> bytes;
  picture_format format;
};

std::ostream& operator<<(std::ostream& out, const leading_bytes_row& row) { return out << row.name; }

std::vector<std::uint8_t> text_bytes(std::string_view text) { return {text.begin(), text.end()}; }

const leading_bytes_row rows[] = {
    {"empty", {}, picture_format::none},
    {"bitmap", {'B', 'M', 0x36, 0x00, 0x00, 0x00}, picture_format::bitmap},
    {"bitmap_five_bytes", {'B', 'M', 0x36, 0x00, 0x00}, picture_format::none},
    {"lower_case_bm", {'b', 'm', 0, 0, 0, 0}, picture_format::none},
    {"jpeg", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}, picture_format::jpeg},
    {"jpeg_start_only", {0xFF, 0xD8, 0, 0, 0, 0}, picture_format::jpeg},
    {"jpeg_two_bytes", {0xFF, 0xD8}, picture_format::none},
    {"icon_one_image", {0, 0, 1, 0, 1, 0}, picture_format::icon},
    {"icon_count_in_high_byte", {0, 0, 1, 0, 0, 1}, picture_format::icon},
    {"icon_no_images", {0, 0, 1, 0, 0, 0}, picture_format::none},
    {"cursor_two_images", {0, 0, 2, 0, 2, 0}, picture_format::cursor},
    {"cursor_no_images", {0, 0, 2, 0, 0, 0}, picture_format::none},
    {"icon_directory_type_3", {0, 0, 3, 0, 1, 0}, picture_format::none},
    {"gif87a", text_bytes("GIF87a"), picture_format::gif},
    {"gif89a", text_bytes("GIF89a\x01\x00"), picture_format::gif},
    {"gif88a", text_bytes("GIF88a"), picture_format::none},
    {"gif_lower_case", text_bytes("gif89a"), picture_format::none},
    {"pcx_8bit_version_5", {0x0A, 5, 1, 8, 0, 0}, picture_format::pcx_8bit},
    {"pcx_8bit_version_0", {0x0A, 0, 1, 8, 0, 0}, picture_format::pcx_8bit},
    {"pcx_8bit_version_6", {0x0A, 6, 1, 8, 0, 0}, picture_format::none},
    {"pcx_8bit_not_run_length", {0x0A, 5, 0, 8, 0, 0}, picture_format::none},
    {"pcx_1bit_version_3", {0x0A, 3, 1, 1, 0, 0}, picture_format::pcx_1bit},
    {"pcx_1bit_version_5", {0x0A, 5, 1, 1, 0, 0}, picture_format::none},
    {"pcx_4bit", {0x0A, 5, 1, 4, 0, 0}, picture_format::none},
    {"png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A}, picture_format::none},
    {"text", text_bytes("Vantor cover"), picture_format::none},
};

class LeadingBytes : public ::testing::TestWithParam<leading_bytes_row> {};

TEST_P(LeadingBytes, TellTheFormat) { EXPECT_EQ(recognise_picture(GetParam().bytes), GetParam().format); }

INSTANTIATE_TEST_SUITE_P(rows, LeadingBytes, ::testing::ValuesIn(rows),
                         [](const ::testing::TestParamInfo<leading_bytes_row>& row) { return row.param.name; });

TEST(PictureFormatName, NamesADecoderForEveryRecognisedFormat) {
  EXPECT_EQ(picture_format_name(picture_format::none), "");
  for (auto format : {picture_format::bitmap, picture_format::jpeg, picture_format::icon, picture_format::cursor,
                      picture_format::gif, picture_format::pcx_8bit, picture_format::pcx_1bit}) {
    EXPECT_FALSE(picture_format_name(format).empty());
  }
}

}  // namespace
}  // namespace vantor
