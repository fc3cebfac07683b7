// The kernel heap: every block the kernel allocates for its own objects comes from here, so that
// the live block and byte counts tell exactly what a model holds and whether deleting it freed
// everything. A test can also ask that a chosen future allocation fail with std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include <tagtrack/kernel/kernel_export.h>

namespace TPK {

struct heap_counts {
  std::int64_t live_blocks = 0;
  std::int64_t live_bytes = 0;
  std::int64_t total_allocations = 0;  // blocks handed out since start, failed ones excluded
};

// Allocates `bytes` (at least 1) from the kernel heap; throws std::bad_alloc on failure or when an
// injected failure is due. Blocks are aligned for any fundamental type.
TPK_KERNEL_EXPORT void* heap_allocate(std::size_t bytes);
// Returns a block obtained from heap_allocate; null is ignored.
TPK_KERNEL_EXPORT void heap_free(void* block) noexcept;

TPK_KERNEL_EXPORT heap_counts get_heap_counts() noexcept;

// Makes the n-th kernel allocation from now (1 = the next one) throw std::bad_alloc; 0 disarms.
// The failure fires once, then the heap works normally again.
TPK_KERNEL_EXPORT void fail_heap_allocation_after(std::int64_t n) noexcept;

// Base class whose objects live on the kernel heap.
class TPK_KERNEL_EXPORT TPK_heap {
 public:
  static void* operator new(std::size_t bytes) { return heap_allocate(bytes); }
  static void operator delete(void* block) noexcept { heap_free(block); }
  static void* operator new[](std::size_t bytes) { return heap_allocate(bytes); }
  static void operator delete[](void* block) noexcept { heap_free(block); }
  static void* operator new(std::size_t, void* where) noexcept { return where; }
  static void operator delete(void*, void*) noexcept {}
};

// A standard allocator on the kernel heap, for the kernel's own containers.
template <class T>
class heap_allocator {
 public:
  using value_type = T;
  heap_allocator() noexcept = default;
  template <class U>
  heap_allocator(const heap_allocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(heap_allocate(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t) noexcept { heap_free(p); }
  template <class U>
  bool operator==(const heap_allocator<U>&) const noexcept {
    return true;
  }
  template <class U>
  bool operator!=(const heap_allocator<U>&) const noexcept {
    return false;
  }
};

}  // namespace TPK
