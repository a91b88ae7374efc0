#include "app/frame/allocation_failure.h"

#include <cstdlib>
#include <new>

namespace vantor {

namespace {

allocation_failure_handler g_handler = nullptr;
bool g_reporting = false;

// The block, or null when the heap has none and nobody reports it.
void* allocate_or_null(std::size_t size) noexcept {
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  // The report itself needs memory; a second failure while it is up is
  // left to the standard behaviour.
  if (g_handler == nullptr || g_reporting) return nullptr;
  g_reporting = true;
  g_handler(size);
  std::abort();  // the handler does not return
}

void* allocate(std::size_t size) {
  if (void* block = allocate_or_null(size)) return block;
  throw std::bad_alloc();
}

}  // namespace

void set_allocation_failure_handler(allocation_failure_handler handler) { g_handler = handler; }

}  // namespace vantor

// The replaceable allocation functions, over malloc and free: every block of
// the program comes from the one process heap. All forms that pair with
// these deletes are replaced together, so no block is freed by another
// allocator than the one that made it (the aligned forms stay as they are,
// with their own deletes).
void* operator new(std::size_t size) { return vantor::allocate(size); }
void* operator new[](std::size_t size) { return vantor::allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return vantor::allocate_or_null(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return vantor::allocate_or_null(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
