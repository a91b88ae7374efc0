#pragma once
// The system's text conversions the program needs.

#include <string>
#include <string_view>

namespace vantor::platform {

/// Decodes GB18030 (the superset of GBK that Chinese Windows writes) to
/// UTF-8. A byte that starts no valid sequence becomes U+FFFD.
std::string decode_gb18030(std::string_view bytes);

}  // namespace vantor::platform
