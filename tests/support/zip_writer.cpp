#include "support/zip_writer.h"

#include <zip.h>

#include <stdexcept>

namespace vantor::testing {

void write_zip(const std::string& path, const std::vector<zip_item>& items) {
  zipFile archive = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (archive == nullptr) throw std::runtime_error("zipOpen64 failed for " + path);
  for (const auto& item : items) {
    zip_fileinfo info{};
    info.tmz_date = {0, 30, 12, 15, 5, 2024};  // 2024-06-15 12:30:00
    const bool folder = !item.name.empty() && item.name.back() == '/';
    info.external_fa = item.external_attributes != 0 ? item.external_attributes : (folder ? 0x10u : 0x20u);
    const int method = item.deflate && !folder ? Z_DEFLATED : 0;
    if (zipOpenNewFileInZip(archive, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                            Z_DEFAULT_COMPRESSION) != ZIP_OK ||
        (!item.data.empty() &&
         zipWriteInFileInZip(archive, item.data.data(), static_cast<unsigned>(item.data.size())) != ZIP_OK) ||
        zipCloseFileInZip(archive) != ZIP_OK) {
      zipClose(archive, nullptr);
      throw std::runtime_error("cannot add " + item.name);
    }
  }
  if (zipClose(archive, nullptr) != ZIP_OK) throw std::runtime_error("zipClose failed");
}

}  // namespace vantor::testing
