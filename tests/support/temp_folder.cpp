#include "support/temp_folder.h"

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace vantor::testing {

namespace fs = std::filesystem;

temp_folder::temp_folder() {
  std::string pattern = (fs::temp_directory_path() / "vantor-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

temp_folder::~temp_folder() {
  std::error_code ignored;
  // Give write permission back first, so read-only leftovers go too.
  for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
       it.increment(ignored)) {
    if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

std::string temp_folder::operator/(std::string_view relative) const { return path_ + "/" + std::string(relative); }

void put_folder(const std::string& path) { fs::create_directories(path); }

void put_file(const std::string& path, const byte_string& bytes) {
  const auto parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void put_file(const std::string& path, std::string_view text) { put_file(path, bytes_of(text)); }

byte_string file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return byte_string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path) {
  std::error_code ignored;
  return fs::symlink_status(path, ignored).type() != fs::file_type::not_found;
}

byte_string bytes_of(std::string_view text) { return byte_string(text.begin(), text.end()); }

byte_string bytes_of(byte_view bytes) { return byte_string(bytes.begin(), bytes.end()); }

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
