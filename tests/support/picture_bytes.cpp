#include "support/picture_bytes.h"

namespace vantor::testing {

namespace {

void put16(byte_string& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(byte_string& bytes, std::uint32_t value) {
  put16(bytes, value & 0xFFFF);
  put16(bytes, value >> 16);
}

// BITMAPINFOHEADER.
void put_info_header(byte_string& bytes, std::int32_t width, std::int32_t height, std::uint16_t bits,
                     std::uint32_t image_size) {
  put32(bytes, 40);
  put32(bytes, static_cast<std::uint32_t>(width));
  put32(bytes, static_cast<std::uint32_t>(height));
  put16(bytes, 1);
  put16(bytes, bits);
  put32(bytes, 0);  // BI_RGB
  put32(bytes, image_size);
  put32(bytes, 2835);
  put32(bytes, 2835);
  put32(bytes, 0);
  put32(bytes, 0);
}

}  // namespace

byte_string bitmap_file(std::int32_t width, std::int32_t height, rgb left, rgb right) {
  const auto row = static_cast<std::uint32_t>((width * 3 + 3) / 4 * 4);
  const std::uint32_t image_size = row * static_cast<std::uint32_t>(height);
  byte_string bytes{'B', 'M'};
  put32(bytes, 14 + 40 + image_size);
  put32(bytes, 0);
  put32(bytes, 14 + 40);
  put_info_header(bytes, width, height, 24, image_size);
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint32_t written = 0;
    for (std::int32_t x = 0; x < width; ++x, written += 3) {
      const rgb& c = x < width / 2 ? left : right;
      bytes.insert(bytes.end(), {c.blue, c.green, c.red});
    }
    for (; written < row; ++written) bytes.push_back(0);
  }
  return bytes;
}

byte_string icon_file(std::uint16_t type, const std::vector<icon_image>& images) {
  byte_string bytes;
  put16(bytes, 0);
  put16(bytes, type);
  put16(bytes, static_cast<std::uint32_t>(images.size()));
  std::vector<byte_string> bodies;
  for (const icon_image& image : images) {
    const auto size = static_cast<std::uint32_t>(image.size);
    const std::uint32_t mask_row = (size + 31) / 32 * 4;
    byte_string body;
    put_info_header(body, image.size, image.size * 2, 32, size * size * 4 + mask_row * size);
    for (std::uint32_t i = 0; i < size * size; ++i) {
      body.insert(body.end(), {image.colour.blue, image.colour.green, image.colour.red, 0xFF});
    }
    body.insert(body.end(), mask_row * size, 0);  // opaque everywhere
    bodies.push_back(std::move(body));
  }
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    bytes.push_back(static_cast<std::uint8_t>(images[i].size));
    bytes.push_back(static_cast<std::uint8_t>(images[i].size));
    bytes.push_back(0);  // no palette
    bytes.push_back(0);
    put16(bytes, type == 2 ? 0 : 1);   // planes, or a cursor's hot spot x
    put16(bytes, type == 2 ? 0 : 32);  // colour depth, or the hot spot y
    put32(bytes, static_cast<std::uint32_t>(bodies[i].size()));
    put32(bytes, offset);
    offset += static_cast<std::uint32_t>(bodies[i].size());
  }
  for (const byte_string& body : bodies) bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

byte_string two_frame_gif() {
  // Made with ImageMagick: convert -size 8x6 xc:red -size 8x6 xc:blue
  // -set delay 20 -loop 0 anim.gif
  return {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x08, 0x00, 0x06, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00,
          0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x14, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b, 0x4e, 0x45, 0x54, 0x53,
          0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00,
          0x08, 0x00, 0x06, 0x00, 0x00, 0x02, 0x06, 0x84, 0x8f, 0xa9, 0xcb, 0x7d, 0x05, 0x00, 0x21, 0xf9, 0x04,
          0x00, 0x14, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x06, 0x00, 0x80, 0x00, 0x00,
          0xff, 0x00, 0x00, 0x00, 0x02, 0x06, 0x84, 0x8f, 0xa9, 0xcb, 0x7d, 0x05, 0x00, 0x3b};
}

}  // namespace vantor::testing
