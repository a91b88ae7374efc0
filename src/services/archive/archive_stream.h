#pragma once
// The archive file as minizip reads it. minizip's own file functions use
// stdio; these route every read through the platform layer instead, like
// every other file the program touches.

#include <minizip/ioapi.h>

#include <cstdint>
#include <vector>

#include "platform/files.h"
#include "services/values.h"

namespace vantor {

/// An archive file open for reading. minizip reads its headers a few bytes
/// at a time and seeks before every block of compressed data; small reads are
/// served from a buffer and seeks cost nothing until the next read, so the
/// headers take few system calls and the data goes straight through.
class archive_stream {
 public:
  explicit archive_stream(platform::file file);

  /// Reads up to size bytes at the current position; fewer only at the end
  /// of the file or after a failure.
  std::size_t read(void* buffer, std::size_t size);
  void seek(std::int64_t position) { position_ = position; }
  std::int64_t position() const { return position_; }
  /// The size of the file, or -1.
  std::int64_t size();

  /// From now on the file reads as its first kept bytes followed by tail:
  /// how minizip is shown a directory rewritten in place of the file's own.
  void replace_tail(std::int64_t kept, byte_string tail);
  bool failed() const { return failed_; }
  const std::string& path() const { return file_.path(); }
  void close() { (void)file_.close(); }

 private:
  bool read_at(std::int64_t at, void* buffer, std::size_t size, std::size_t& got);
  std::size_t read_file(char* out, std::size_t size);

  platform::file file_;
  std::int64_t position_ = 0;       // where the next read starts
  std::int64_t file_position_ = 0;  // where the system's position is
  std::vector<char> buffer_;
  std::int64_t buffer_start_ = 0;  // file offset of buffer_[0]
  std::size_t buffer_fill_ = 0;
  bool failed_ = false;
  bool tail_replaced_ = false;
  std::int64_t kept_ = 0;  // with a replaced tail: the bytes of the file still read
  byte_string tail_;
};

/// The file functions that make minizip read an archive_stream. The stream
/// itself is handed to minizip in place of a path:
/// unzOpen2_64(&stream, &functions).
zlib_filefunc64_def archive_stream_functions();

}  // namespace vantor
