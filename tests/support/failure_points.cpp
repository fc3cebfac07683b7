#include "support/failure_points.h"

#include <cstdlib>

#include <tagtrack/kernel/heap.h>

namespace {
// Allocations still to go before the armed failure; 0 when disarmed.
std::int64_t g_general_countdown = 0;
}  // namespace

namespace test_support {

void fail_allocation_after(heap which, std::int64_t n) noexcept {
  if (which == heap::kernel) {
    TPK::fail_heap_allocation_after(n);
  } else {
    g_general_countdown = n;
  }
}

}  // namespace test_support

// The general heap of every program that uses the failure points: malloc, with the armed failure.
void* operator new(std::size_t bytes) {
  if (g_general_countdown > 0 && --g_general_countdown == 0) throw std::bad_alloc();
  if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t bytes) {
  return operator new(bytes);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  if (g_general_countdown > 0 && --g_general_countdown == 0) return nullptr;
  return std::malloc(bytes == 0 ? 1 : bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept {
  return operator new(bytes, tag);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
