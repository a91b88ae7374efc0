#pragma once
// Every failed allocation of the program ends in the fatal-error report, with
// the size that was asked for. The program's operator new reports here.

#include <cstddef>

namespace vantor {

/// Called with the requested size when the heap cannot supply a block; it
/// must not return. Without one, operator new throws std::bad_alloc.
using allocation_failure_handler = void (*)(std::size_t size);

void set_allocation_failure_handler(allocation_failure_handler handler);

}  // namespace vantor
