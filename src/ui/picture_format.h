#pragma once
// Which kind of picture a run of bytes holds, told by its first six bytes
// alone. The picture box decodes only what this recognises.

#include <cstdint>
#include <span>
#include <string_view>

namespace vantor {

enum class picture_format { none, bitmap, jpeg, icon, cursor, gif, pcx_8bit, pcx_1bit };

/// The format of a picture's bytes; none for fewer than six bytes and for
/// anything not recognised.
picture_format recognise_picture(std::span<const std::uint8_t> bytes);

/// A short name for the format ("bmp", "jpeg", "ico", "cur", "gif", "pcx";
/// empty for none).
std::string_view picture_format_name(picture_format format);

/// How long an animated GIF's frame shows, the way the desktop's browsers
/// have it: the stored delay in 1/100 s, and 100 ms for the 0 and 1 that
/// would make an animation spin.
std::uint32_t gif_frame_delay_ms(std::uint32_t hundredths);

}  // namespace vantor
