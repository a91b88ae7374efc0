#include "formats/demo_bundle.h"

#include <cstring>

#include "services/little_endian.h"

namespace vantor {

byte_string make_demo_stock_bundle() {
  byte_string bundle(demo_bundle_length);
  constexpr char magic[] = "VANTOR-DEMO";  // 12 bytes with its zero, then one spare
  std::memcpy(bundle.data(), magic, sizeof magic);
  store_le32(bundle.data() + demo_stock_identity.count_offset, demo_stock_identity.stock_count);
  // Frame data that looks like frame data to nobody: a fixed xorshift stream.
  std::uint32_t state = 0x5eed1234u;
  for (std::size_t i = 17; i < bundle.size(); ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    bundle[i] = static_cast<std::uint8_t>(state >> 24);
  }
  return bundle;
}

}  // namespace vantor
