#pragma once
// The units of a live window as a front end offers them to the program:
// addressed by their stored names, whatever the toolkit. The Qt window and
// the Win32 window each implement it.

#include <string_view>

#include "services/values.h"

namespace vantor {

class unit_surface {
 public:
  virtual ~unit_surface() = default;
  /// Replaces a picture box's picture with the picture in bytes (empty or
  /// unrecognised bytes leave the box blank).
  virtual void set_picture(std::string_view unit, const byte_string& bytes) = 0;
  /// Replaces the whole text of an edit box. The text is UTF-8.
  virtual void set_content(std::string_view unit, std::string_view content) = 0;
  /// The current caption of a label, UTF-8.
  virtual text caption(std::string_view unit) const = 0;
};

}  // namespace vantor
