#include "formats/game_layout.h"

#include "platform/files.h"

namespace vantor::layout {

std::string path_in(std::string_view folder, std::initializer_list<std::string_view> parts) {
  std::string path(folder);
  for (auto part : parts) {
    path += platform::path_separator;
    path += part;
  }
  return path;
}

std::string folder_path(std::string_view folder) { return std::string(folder) + platform::path_separator; }

}  // namespace vantor::layout
