#pragma once
// The synthetic stock bundle of the demo game folder, and the identity the
// demo builds accept instead of the game's. The real builds never accept it.

#include "formats/stock_identity.h"
#include "services/values.h"

namespace vantor {

inline constexpr std::int32_t demo_bundle_length = 65536;

/// The demo's stock bundle: always the same bytes, with 17061 as its frame
/// count at offset 13.
byte_string make_demo_stock_bundle();

/// Prefix length and digest of the demo's stock bundle.
inline constexpr stock_identity demo_stock_identity{demo_bundle_length, "7d32e4dc0b57bc3c3e6cf70783878566", 13, 17061};

}  // namespace vantor
