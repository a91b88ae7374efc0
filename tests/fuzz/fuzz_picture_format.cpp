// Picture recognition by leading bytes, on arbitrary data.

#include <cstdlib>

#include "ui/picture_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto format = vantor::recognise_picture({data, size});
  if (size < 6 && format != vantor::picture_format::none) std::abort();
  if (format == vantor::picture_format::jpeg && (data[0] != 0xFF || data[1] != 0xD8)) std::abort();
  if (format == vantor::picture_format::bitmap && (data[0] != 'B' || data[1] != 'M')) std::abort();
  return 0;
}
