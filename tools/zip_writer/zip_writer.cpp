#include "zip_writer.h"

#include <minizip/zip.h>

namespace vantor {

namespace {
constexpr uLong made_on_unix = 0x031E;  // host 3 (Unix), format version 3.0
}  // namespace

zip_item file_item(std::string name, std::string_view contents, int method) {
  zip_item item;
  item.name = std::move(name);
  item.data.assign(contents.begin(), contents.end());
  item.method = method;
  return item;
}

zip_item folder_item(std::string name) {
  zip_item item;
  item.name = std::move(name);
  item.method = 0;
  item.external = unix_folder;
  return item;
}

zip_writer::zip_writer(const std::string& path) : zip_(zipOpen64(path.c_str(), APPEND_STATUS_CREATE)) {
  ok_ = zip_ != nullptr;
}

zip_writer::~zip_writer() { close(); }

bool zip_writer::add(const zip_item& item) {
  if (!ok_) return false;
  zip_fileinfo info{};
  info.dosDate = item.dos_time;
  info.external_fa = item.external;
  const auto extra_size = static_cast<uInt>(item.local_extra.size());
  const bool large = item.data.size() >= 0xFFFFFFFFu;
  ok_ = zipOpenNewFileInZip4_64(zip_, item.name.c_str(), &info,
                                item.local_extra.empty() ? nullptr : item.local_extra.data(), extra_size, nullptr, 0,
                                nullptr, item.method, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, made_on_unix, 0, large ? 1 : 0) == ZIP_OK;
  for (std::size_t done = 0; ok_ && done < item.data.size();) {
    // minizip takes at most 4 GiB at once.
    const auto piece = static_cast<unsigned>(std::min<std::size_t>(item.data.size() - done, 1u << 30));
    ok_ = zipWriteInFileInZip(zip_, item.data.data() + done, piece) == ZIP_OK;
    done += piece;
  }
  ok_ = zipCloseFileInZip(zip_) == ZIP_OK && ok_;
  return ok_;
}

bool zip_writer::close() {
  if (zip_ == nullptr) return false;
  const bool closed = zipClose(zip_, nullptr) == ZIP_OK;
  zip_ = nullptr;
  ok_ = ok_ && closed;
  return ok_;
}

bool write_zip_archive(const std::string& path, const std::vector<zip_item>& items) {
  zip_writer writer(path);
  for (const auto& item : items) writer.add(item);
  return writer.close();
}

}  // namespace vantor
