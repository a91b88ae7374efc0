#pragma once
// How far a long piece of work has got, for whoever shows it (a taskbar
// button, a line on a terminal).

#include <cstdint>
#include <functional>

namespace vantor {

/// Told `done` of `total` (bytes, entries) each time the work gets further;
/// an empty callback is never called.
using progress_callback = std::function<void(std::uint64_t done, std::uint64_t total)>;

}  // namespace vantor
