#include "support/failure_points.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include <tagtrack/kernel/heap.h>
#include <tagtrack/tag_manager/internal/tag_registry.h>

#include "support/models.h"

namespace {
// Allocations still to go before the armed failure; 0 when disarmed.
std::int64_t g_general_countdown = 0;
std::int64_t g_general_allocations = 0;
}  // namespace

namespace test_support {

void fail_allocation_after(heap which, std::int64_t n) noexcept {
  if (which == heap::kernel) {
    TPK::fail_heap_allocation_after(n);
  } else {
    g_general_countdown = n;
  }
}

std::int64_t allocations_made(heap which) noexcept {
  return which == heap::kernel ? TPK::get_heap_counts().total_allocations : g_general_allocations;
}

failure_point_checks::snapshot failure_point_checks::take() const {
  snapshot s;
  for (BODY* body : m_bodies()) s.model += describe(body);
  TPI_HISTORY::get_default(s.default_stream, false);
  s.kernel_blocks = TPK::get_heap_counts().live_blocks;
  return s;
}

void failure_point_checks::expect_unchanged(const snapshot& before) const {
  const snapshot now = take();
  EXPECT_EQ(now.model, before.model);
  EXPECT_EQ(now.default_stream, before.default_stream);
  for (BODY* body : m_bodies()) EXPECT_VALID(body);
  const auto& registry = TPI_TAGGING_TRACKING::tag_registry::instance();
  if (!registry.active()) {
    EXPECT_EQ(now.kernel_blocks, before.kernel_blocks);
    return;
  }
  for (const auto& [tags, attribs] : registry.entries()) {
    for (const ATTRIB_CUSTOM* a : attribs) EXPECT_TRUE(a->alive());
  }
}

int failure_point_checks::at_every_point(const std::function<void()>& step,
                                         const std::function<bool()>& outputs_untouched,
                                         const std::function<void()>& undo,
                                         std::initializer_list<heap> heaps) const {
  int points = 0;
  for (heap which : heaps) {
    const snapshot before = take();
    points += at_every_failure_point(which, step, [&] {
      expect_unchanged(before);
      EXPECT_TRUE(outputs_untouched());
    });
    if (undo) undo();
  }
  EXPECT_GT(points, 0);
  return points;
}

}  // namespace test_support

// The general heap of every program that uses the failure points: malloc, with the armed failure.
void* operator new(std::size_t bytes) {
  if (g_general_countdown > 0 && --g_general_countdown == 0) throw std::bad_alloc();
  ++g_general_allocations;
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
  ++g_general_allocations;
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
