#include <tagtrack/kernel/heap.h>

#include <cstdlib>
#include <new>

#if defined(__has_include)
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#define TPK_HEAP_KNOWS_VALGRIND 1
#endif
#endif

namespace TPK {
namespace {

// Each block carries a header holding its size, so that heap_free can keep the byte count exact.
// The header is as large as the strictest fundamental alignment to keep the payload aligned.
constexpr std::size_t header_size = alignof(std::max_align_t);

// Small blocks, the bulk of a model's entities, attributes and arrays, are recycled through free
// lists by size class instead of going back to the C library each time. Each list keeps a bounded
// number of blocks, so a large model that is freed does not stay cached whole.
constexpr std::size_t class_step = 16;
constexpr std::size_t small_limit = 256;
constexpr std::size_t classes = small_limit / class_step + 1;
constexpr std::size_t max_cached_per_class = 1 << 14;

struct free_block {
  free_block* next;
};

// A recycled block is one that no memory checker watches: a read of a freed entity would go
// unseen. The cache steps aside when valgrind is running or GCC's address sanitizer is built in
// (clang's fuzzer builds, which do not define __SANITIZE_ADDRESS__, keep it).
bool recycling() noexcept {
#if defined(__SANITIZE_ADDRESS__)
  return false;
#else
#if defined(TPK_HEAP_KNOWS_VALGRIND)
  static const bool watched = RUNNING_ON_VALGRIND != 0;
  return !watched;
#else
  return true;
#endif
#endif
}

struct size_class_cache {
  free_block* head = nullptr;
  std::size_t count = 0;
};

heap_counts g_counts;
std::int64_t g_fail_countdown = 0;
size_class_cache g_cache[classes];

std::size_t class_of(std::size_t bytes) {
  return (bytes + class_step - 1) / class_step;
}

}  // namespace

void* heap_allocate(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (g_fail_countdown > 0 && --g_fail_countdown == 0) throw std::bad_alloc();
  if (bytes > std::numeric_limits<std::size_t>::max() - header_size - class_step) {
    throw std::bad_alloc();
  }
  void* raw = nullptr;
  if (bytes <= small_limit && recycling()) {
    size_class_cache& cache = g_cache[class_of(bytes)];
    if (cache.head != nullptr) {
      raw = cache.head;
      cache.head = cache.head->next;
      --cache.count;
    } else {
      raw = std::malloc(header_size + class_of(bytes) * class_step);
    }
  } else {
    raw = std::malloc(header_size + bytes);
  }
  if (raw == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(raw) = bytes;
  ++g_counts.live_blocks;
  ++g_counts.total_allocations;
  g_counts.live_bytes += static_cast<std::int64_t>(bytes);
  return static_cast<char*>(raw) + header_size;
}

void heap_free(void* block) noexcept {
  if (block == nullptr) return;
  void* raw = static_cast<char*>(block) - header_size;
  const std::size_t bytes = *static_cast<std::size_t*>(raw);
  --g_counts.live_blocks;
  g_counts.live_bytes -= static_cast<std::int64_t>(bytes);
  if (bytes <= small_limit && recycling()) {
    size_class_cache& cache = g_cache[class_of(bytes)];
    if (cache.count < max_cached_per_class) {
      auto* freed = static_cast<free_block*>(raw);
      freed->next = cache.head;
      cache.head = freed;
      ++cache.count;
      return;
    }
  }
  std::free(raw);
}

heap_counts get_heap_counts() noexcept {
  return g_counts;
}

void fail_heap_allocation_after(std::int64_t n) noexcept {
  g_fail_countdown = n < 0 ? 0 : n;
}

}  // namespace TPK
