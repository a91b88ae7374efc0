// Bundle inspection on arbitrary bundles against small synthetic stock
// identities; checks the verdict against the bytes themselves.
//
// Input: two bytes of prefix length, one of count offset, four of stock
// count, one of flags (bit 0: no bundle at all), then the bundle. The bundle
// bytes are XORed onto the synthetic stock bytes, so zero bytes keep the
// stock ones and small changes give near-stock bundles.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/animation_bundle.h"
#include "fuzz/fuzz_support.h"
#include "services/bytes.h"
#include "services/digest.h"
#include "services/little_endian.h"

namespace {

constexpr std::size_t stock_size = 640;
constexpr std::size_t header_size = 8;

using vantor::fuzzing::check;

std::uint32_t le32_at(const vantor::byte_string& bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
         std::uint32_t{bytes[at + 3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = vantor::fuzzing::work_folder("bundle") + "/character.amb";
  if (size < header_size) return 0;

  const auto prefix_length =
      static_cast<std::int32_t>((std::size_t{data[0]} | std::size_t{data[1]} << 8) % (stock_size + 1));
  const auto count_offset = static_cast<std::int32_t>(data[2]);
  const auto stock_count = static_cast<std::int32_t>(vantor::load_le32(data + 3));
  const bool no_bundle = (data[7] & 1) != 0;

  // The stock bytes: a fixed pattern holding the stock count in its field.
  static const vantor::byte_string pattern = [] {
    vantor::byte_string bytes(stock_size + 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + (i >> 8));
    return bytes;
  }();
  vantor::byte_string stock = pattern;
  vantor::store_le32(stock.data() + count_offset, stock_count);
  stock.resize(stock_size);
  const auto prefix = static_cast<std::size_t>(prefix_length);
  const std::string digest = vantor::md5_text_digest(vantor::byte_view(stock.data(), prefix));
  const vantor::stock_identity identity{prefix_length, digest, count_offset, stock_count};

  vantor::byte_string bundle(data + header_size, data + size);
  for (std::size_t i = 0; i < bundle.size() && i < stock.size(); ++i) bundle[i] ^= stock[i];

  (void)vantor::platform::remove_entry(path);
  if (!no_bundle) vantor::fuzzing::put_file(path, bundle.data(), bundle.size());

  const auto found = vantor::inspect_bundle(path, identity);
  if (no_bundle) {
    check(found.kind == vantor::bundle_kind::missing && found.frame_count == 0 && !found.unread,
          "an absent bundle is not missing");
    return 0;
  }
  check(!found.unread, "a readable bundle was unread");

  // What the bytes are: the prefix as it is, and with the count field put
  // back to the stock count where the field lies inside the prefix.
  const bool whole = bundle.size() >= prefix;
  const bool same = whole && std::equal(stock.begin(), stock.begin() + prefix_length, bundle.begin());
  vantor::byte_string reset(bundle.begin(), bundle.begin() + static_cast<std::ptrdiff_t>(whole ? prefix : 0));
  std::array<std::uint8_t, 4> field{};
  for (std::size_t i = 0; i < 4 && whole; ++i) {
    const std::size_t at = static_cast<std::size_t>(count_offset) + i;
    if (at >= prefix) continue;
    field[i] = reset[at];
    reset[at] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(stock_count) >> (8 * i));
  }
  const bool upgraded = whole && !same && std::equal(reset.begin(), reset.end(), stock.begin());

  switch (found.kind) {
    case vantor::bundle_kind::missing:
      check(false, "an existing bundle is missing");
      break;
    case vantor::bundle_kind::stock:
      check(same, "a bundle reported stock is not the stock prefix");
      check(vantor::md5_text_digest(vantor::byte_view(bundle.data(), prefix)) == digest,
            "a bundle reported stock has another digest");
      check(found.frame_count == 0, "a stock bundle has a frame count");
      break;
    case vantor::bundle_kind::upgraded: {
      check(upgraded, "a bundle reported upgraded is not the stock prefix but for its count");
      vantor::byte_string fields(field.begin(), field.end());
      check(found.frame_count == static_cast<std::int32_t>(le32_at(fields, 0)), "wrong frame count");
      if (count_offset + 4 <= prefix_length) check(found.frame_count != stock_count, "an upgraded stock count");
      break;
    }
    case vantor::bundle_kind::modified:
      check(!same && !upgraded, "a stock or upgraded bundle reported modified");
      check(found.frame_count == 0, "a modified bundle has a frame count");
      break;
  }
  return 0;
}
