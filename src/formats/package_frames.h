#pragma once
// Whether an upgraded bundle holds the frames of a given new.amb.out: its
// frame count and the frame block after the stock prefix, byte for byte.

#include <cstdint>
#include <string_view>

#include "formats/stock_identity.h"

namespace vantor {

/// True when the bundle, whose frame count field holds frame_count, is the
/// stock prefix followed by exactly the package's frame block with the
/// package's count. The lengths and the count are compared first; the
/// frames are then read side by side only until the first difference. A
/// file that cannot be read gives false.
bool bundle_holds_package(std::string_view bundle, std::int32_t frame_count, std::string_view package,
                          const stock_identity& identity);

}  // namespace vantor
