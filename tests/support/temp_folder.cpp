#include "support/temp_folder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "support/native_path.h"

namespace vantor::testing {

namespace fs = std::filesystem;

temp_folder::temp_folder() {
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "vantor-test-%08x", static_cast<unsigned>(entropy()));
    const fs::path candidate = fs::temp_directory_path() / name;
    std::error_code failed;
    if (fs::create_directory(candidate, failed)) {
      path_ = utf8_of(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot make a test folder");
}

temp_folder::~temp_folder() {
  std::error_code ignored;
  // Give write permission back first, so read-only leftovers go too.
  for (auto it = fs::recursive_directory_iterator(native_path(path_), ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(native_path(path_), ignored);
}

std::string temp_folder::operator/(std::string_view relative) const { return path_ + "/" + std::string(relative); }

void put_folder(const std::string& path) { fs::create_directories(native_path(path)); }

void put_file(const std::string& path, const byte_string& bytes) {
  const auto parent = native_path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  std::ofstream out(native_path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void put_file(const std::string& path, std::string_view text) { put_file(path, bytes_of(text)); }

byte_string file_bytes(const std::string& path) {
  std::ifstream in(native_path(path), std::ios::binary);
  return byte_string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path) {
  std::error_code ignored;
  return fs::symlink_status(native_path(path), ignored).type() != fs::file_type::not_found;
}

byte_string bytes_of(std::string_view text) { return byte_string(text.begin(), text.end()); }

byte_string bytes_of(byte_view bytes) { return byte_string(bytes.begin(), bytes.end()); }

byte_string joined(std::initializer_list<byte_view> pieces) {
  byte_string bytes;
  for (const auto& piece : pieces) bytes.insert(bytes.end(), piece.begin(), piece.end());
  return bytes;
}

byte_string first_bytes(const byte_string& bytes, std::size_t count) {
  return byte_string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
}

byte_string random_bytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  byte_string bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
  return bytes;
}

}  // namespace vantor::testing
