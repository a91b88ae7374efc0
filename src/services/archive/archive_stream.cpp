#include "services/archive/archive_stream.h"

#include <cstring>
#include <limits>
#include <utility>

namespace vantor {

namespace {

constexpr std::size_t small_read_buffer = 4096;

archive_stream* stream_of(voidpf stream) { return static_cast<archive_stream*>(stream); }

voidpf open_stream(voidpf, const void* handed_over, int mode) {
  // Only reading is ever asked for; the stream is already open.
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  return const_cast<void*>(handed_over);
}

// uLong is 32 bits on Windows; minizip never asks for more than it can hold.
uLong read_stream(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(stream_of(stream)->read(buffer, size));
}

uLong write_stream(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T tell_stream(voidpf, voidpf stream) { return static_cast<ZPOS64_T>(stream_of(stream)->position()); }

long seek_stream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  archive_stream& s = *stream_of(stream);
  // minizip passes backward moves from the current position as wrapped
  // unsigned offsets.
  const auto distance = static_cast<std::int64_t>(offset);
  std::int64_t target = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      target = distance;
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      target = s.position() + distance;
      break;
    case ZLIB_FILEFUNC_SEEK_END: {
      const std::int64_t size = s.size();
      if (size < 0) return -1;
      target = size + distance;
      break;
    }
    default:
      return -1;
  }
  if (target < 0) return -1;
  s.seek(target);
  return 0;
}

int close_stream(voidpf, voidpf stream) {
  stream_of(stream)->close();
  return 0;
}

int stream_error(voidpf, voidpf stream) { return stream_of(stream)->failed() ? 1 : 0; }

}  // namespace

archive_stream::archive_stream(platform::file file) : file_(std::move(file)), buffer_(small_read_buffer) {}

bool archive_stream::read_at(std::int64_t at, void* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  if (file_position_ != at) {
    if (!file_.seek(at)) return false;
    file_position_ = at;
  }
  auto* out = static_cast<char*>(buffer);
  while (got < size) {
    const auto part = file_.read(out + got, size - got);
    if (!part) return false;
    if (*part == 0) break;
    got += *part;
    file_position_ += static_cast<std::int64_t>(*part);
  }
  return true;
}

std::int64_t archive_stream::size() {
  if (tail_replaced_) return kept_ + static_cast<std::int64_t>(tail_.size());
  return std::move(file_.size()).value_or(-1);
}

void archive_stream::replace_tail(std::int64_t kept, byte_string tail) {
  tail_replaced_ = true;
  kept_ = kept;
  tail_ = std::move(tail);
  buffer_fill_ = 0;  // the buffer may hold bytes past the kept ones
}

std::size_t archive_stream::read(void* buffer, std::size_t size) {
  auto* out = static_cast<char*>(buffer);
  if (!tail_replaced_) return read_file(out, size);
  std::size_t done = 0;
  if (position_ < kept_) {
    const auto from_file =
        static_cast<std::size_t>(std::min<std::int64_t>(kept_ - position_, static_cast<std::int64_t>(size)));
    done = read_file(out, from_file);
    if (done < from_file) return done;
  }
  const std::int64_t in_tail = position_ - kept_;
  if (done < size && in_tail >= 0 && in_tail < static_cast<std::int64_t>(tail_.size())) {
    const std::size_t take = std::min(size - done, tail_.size() - static_cast<std::size_t>(in_tail));
    std::memcpy(out + done, tail_.data() + in_tail, take);
    done += take;
    position_ += static_cast<std::int64_t>(take);
  }
  return done;
}

std::size_t archive_stream::read_file(char* out, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    // Whatever the buffer already holds at the position.
    const std::int64_t buffer_end = buffer_start_ + static_cast<std::int64_t>(buffer_fill_);
    if (position_ >= buffer_start_ && position_ < buffer_end) {
      const auto offset = static_cast<std::size_t>(position_ - buffer_start_);
      const std::size_t take = std::min(size - done, buffer_fill_ - offset);
      std::memcpy(out + done, buffer_.data() + offset, take);
      done += take;
      position_ += static_cast<std::int64_t>(take);
      continue;
    }
    std::size_t got = 0;
    if (size - done >= buffer_.size()) {
      const bool ok = read_at(position_, out + done, size - done, got);
      done += got;
      position_ += static_cast<std::int64_t>(got);
      if (!ok) failed_ = true;
      break;
    }
    buffer_fill_ = 0;
    buffer_start_ = position_;
    const bool ok = read_at(position_, buffer_.data(), buffer_.size(), got);
    buffer_fill_ = got;
    if (!ok) failed_ = true;
    if (!ok || got == 0) break;
  }
  return done;
}

zlib_filefunc64_def archive_stream_functions() {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = open_stream;
  functions.zread_file = read_stream;
  functions.zwrite_file = write_stream;
  functions.ztell64_file = tell_stream;
  functions.zseek64_file = seek_stream;
  functions.zclose_file = close_stream;
  functions.zerror_file = stream_error;
  functions.opaque = nullptr;
  return functions;
}

}  // namespace vantor
