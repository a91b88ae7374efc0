#include "ui/picture_format.h"

#include <algorithm>
#include <initializer_list>

namespace vantor {

namespace {

bool starts_with(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
  return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// Icons and cursors: reserved 0, the type, then a 16-bit image count that
// must not be 0.
bool is_icon_directory(std::span<const std::uint8_t> bytes, std::uint8_t type) {
  return starts_with(bytes, {0x00, 0x00, type, 0x00}) && (bytes[4] != 0 || bytes[5] != 0);
}

}  // namespace

picture_format recognise_picture(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 6) return picture_format::none;
  if (starts_with(bytes, {'B', 'M'})) return picture_format::bitmap;
  if (starts_with(bytes, {0xFF, 0xD8})) return picture_format::jpeg;
  if (is_icon_directory(bytes, 1)) return picture_format::icon;
  if (is_icon_directory(bytes, 2)) return picture_format::cursor;
  if (starts_with(bytes, {'G', 'I', 'F', '8', '7', 'a'}) || starts_with(bytes, {'G', 'I', 'F', '8', '9', 'a'})) {
    return picture_format::gif;
  }
  // PCX: manufacturer 0A, version, encoding 1 (run-length), bits per pixel.
  if (bytes[0] == 0x0A) {
    if (bytes[1] <= 5 && bytes[2] == 1 && bytes[3] == 8) return picture_format::pcx_8bit;
    if (bytes[1] == 3 && bytes[2] == 1 && bytes[3] == 1) return picture_format::pcx_1bit;
  }
  return picture_format::none;
}

std::string_view picture_format_name(picture_format format) {
  switch (format) {
    case picture_format::bitmap:
      return "bmp";
    case picture_format::jpeg:
      return "jpeg";
    case picture_format::icon:
      return "ico";
    case picture_format::cursor:
      return "cur";
    case picture_format::gif:
      return "gif";
    case picture_format::pcx_8bit:
    case picture_format::pcx_1bit:
      return "pcx";
    case picture_format::none:
      break;
  }
  return {};
}

std::uint32_t gif_frame_delay_ms(std::uint32_t hundredths) { return hundredths <= 1 ? 100 : hundredths * 10; }

}  // namespace vantor
