#include "kernel/heap.h"

#include <cstdlib>
#include <new>

namespace TPK {
namespace {

// Each block carries a header holding its size, so that heap_free can keep the byte count exact.
// The header is as large as the strictest fundamental alignment to keep the payload aligned.
constexpr std::size_t header_size = alignof(std::max_align_t);

heap_counts g_counts;
std::int64_t g_fail_countdown = 0;

}  // namespace

void* heap_allocate(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (g_fail_countdown > 0 && --g_fail_countdown == 0) throw std::bad_alloc();
  if (bytes > std::numeric_limits<std::size_t>::max() - header_size) throw std::bad_alloc();
  void* raw = std::malloc(header_size + bytes);
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
  --g_counts.live_blocks;
  g_counts.live_bytes -= static_cast<std::int64_t>(*static_cast<std::size_t*>(raw));
  std::free(raw);
}

heap_counts get_heap_counts() noexcept {
  return g_counts;
}

void fail_heap_allocation_after(std::int64_t n) noexcept {
  g_fail_countdown = n < 0 ? 0 : n;
}

}  // namespace TPK
