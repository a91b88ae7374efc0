// The frame summary and the frame count rules over arbitrary counts, and the
// frame package reader on arbitrary files.
//
// Input: four bytes of new frame count, four of stock count, eight of frame
// bytes, one of flags (bit 0: no package file), then the package file.

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "formats/animation_bundle.h"
#include "fuzz/fuzz_support.h"
#include "services/files.h"
#include "services/little_endian.h"
#include "workflow/session.h"

namespace {

constexpr std::size_t header_size = 17;

using vantor::fuzzing::check;

void check_counts(std::int32_t new_count, std::int32_t stock_count, std::int64_t frame_bytes) {
  // The summary's fixed form: three decimal numbers, the last the exact sum.
  const std::string summary = vantor::frame_summary(new_count, stock_count);
  const std::int64_t end = std::int64_t{new_count} + stock_count;
  check(summary == "总帧数=" + std::to_string(new_count) + "， 起始帧=" + std::to_string(stock_count) +
                       "， 结束帧=" + std::to_string(end),
        "the frame summary is not in its form");

  // A count that fits never wraps the bundle's 32-bit count field.
  vantor::stock_identity identity;
  identity.stock_count = stock_count;
  const std::int32_t upgraded = vantor::upgraded_frame_count(identity, new_count);
  check(static_cast<std::uint32_t>(upgraded) == static_cast<std::uint32_t>(end), "the count field is not the sum");
  const bool fits = vantor::frame_count_fits(identity, new_count, frame_bytes);
  if (fits) {
    check(new_count > 0 && frame_bytes > 0, "no new frames fit");
    check(upgraded == end && upgraded > stock_count, "a fitting count wrapped");
  } else if (new_count > 0 && frame_bytes > 0) {
    check(end > std::numeric_limits<std::int32_t>::max(), "a count within 32 bits refused");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = vantor::fuzzing::work_folder("frames") + "/new.amb.out";
  if (size < header_size) return 0;

  const auto new_count = static_cast<std::int32_t>(vantor::load_le32(data));
  const auto stock_count = static_cast<std::int32_t>(vantor::load_le32(data + 4));
  const auto frame_bytes =
      static_cast<std::int64_t>(vantor::load_le32(data + 8) | std::uint64_t{vantor::load_le32(data + 12)} << 32);
  check_counts(new_count, stock_count, frame_bytes);
  check_counts(stock_count, new_count, frame_bytes);

  const bool no_file = (data[16] & 1) != 0;
  const std::uint8_t* file = data + header_size;
  const std::size_t length = size - header_size;
  (void)vantor::platform::remove_entry(path);
  if (no_file) {
    check(vantor::read_frame_package(path) == vantor::frame_package{}, "an absent package is not empty");
    return 0;
  }
  vantor::fuzzing::put_file(path, file, length);
  const auto package = vantor::read_frame_package(path);
  check(package.length == static_cast<std::int64_t>(length), "wrong package length");
  check(package.has_count == (length >= 4), "wrong count presence");
  if (length >= 4) {
    const std::uint8_t* tail = file + length - 4;
    const auto count = static_cast<std::int32_t>(std::uint32_t{tail[0]} | std::uint32_t{tail[1]} << 8 |
                                                 std::uint32_t{tail[2]} << 16 | std::uint32_t{tail[3]} << 24);
    check(package.count == count && package.frame_bytes() == package.length - 4, "wrong count");
  } else {
    check(package.count == 0 && package.frame_bytes() == 0, "a count without its four bytes");
  }

  // Through an open reader: the same package, and the position after the
  // count (nothing more to read).
  auto in = vantor::file_reader::open(path);
  check(static_cast<bool>(in), "the package could not be opened");
  check(vantor::read_frame_package(*in) == package, "the two readers disagree");
  if (package.has_count) {
    std::uint8_t byte = 0;
    const auto got = in->read({&byte, 1});
    check(got && *got == 0, "the reader is not after the count");
  }
  return 0;
}
