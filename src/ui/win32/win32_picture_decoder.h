#pragma once
// Pictures decoded with the Windows Imaging Component (part of Windows
// since Vista, reached through COM, so no DLL of its own is linked): JPEG,
// BMP, GIF with every frame of an animation, icons and cursors. The frames
// come out stretched to the box they are shown in.

#include <cstdint>
#include <span>
#include <vector>

#include "ui/picture_format.h"

namespace vantor {

struct picture_frame {
  std::vector<std::uint32_t> pixels;  ///< premultiplied BGRA at the box's size, rows top to bottom
  std::uint32_t delay_ms = 0;         ///< how long it shows before the next frame
};

struct decoded_picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<picture_frame> frames;  ///< empty when the bytes could not be decoded
};

/// The picture in bytes (of the recognised format) at width × height. An
/// animated GIF gives each frame as it appears on screen, composed over the
/// ones before; an icon or cursor file gives its largest image.
decoded_picture decode_picture(std::span<const std::uint8_t> bytes, picture_format format, std::int32_t width,
                               std::int32_t height);

}  // namespace vantor
