#pragma once
// A fresh folder for one test, removed with everything in it afterwards,
// and small helpers to put files in it and read them back.

#include <initializer_list>
#include <string>
#include <string_view>

#include "services/bytes.h"
#include "services/values.h"

namespace vantor::testing {

class temp_folder {
 public:
  temp_folder();
  ~temp_folder();
  temp_folder(const temp_folder&) = delete;
  temp_folder& operator=(const temp_folder&) = delete;

  const std::string& path() const { return path_; }
  /// path() joined with a relative path ("a/b.txt").
  std::string operator/(std::string_view relative) const;

 private:
  std::string path_;
};

/// Writes a file, creating its folders; aborts the test run on failure.
void put_file(const std::string& path, const byte_string& bytes);
void put_file(const std::string& path, std::string_view text);
/// Creates a folder and its parents.
void put_folder(const std::string& path);
/// The file's bytes, or nullopt-like empty with exists=false.
byte_string file_bytes(const std::string& path);
bool exists(const std::string& path);
/// Bytes from a text literal.
byte_string bytes_of(std::string_view text);
/// A copy of viewed bytes.
byte_string bytes_of(byte_view bytes);
/// The pieces one after the other.
byte_string joined(std::initializer_list<byte_view> pieces);
/// The first count bytes (all of them when there are fewer).
byte_string first_bytes(const byte_string& bytes, std::size_t count);
/// Deterministic pseudo-random bytes.
byte_string random_bytes(std::size_t size, unsigned seed);

}  // namespace vantor::testing
