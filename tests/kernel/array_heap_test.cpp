// The kernel array and heap: layout promises, growth, copies, and the counts tests rely on.
#include <functional>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/models.h"

namespace {

TEST(TpkArray, EmptyArrayHoldsTwoNullPointersAndNoBlock) {
  static_assert(sizeof(TPK::tpk_array<int>) == 2 * sizeof(int*), "two pointers, nothing else");
  const auto before = TPK::get_heap_counts().live_blocks;
  TPK::tpk_array<int> a;
  EXPECT_EQ(a.begin(), nullptr);
  EXPECT_EQ(a.end(), nullptr);
  a.push_back(1);
  a.resize(0);
  EXPECT_EQ(a.begin(), nullptr);
  EXPECT_EQ(a.end(), nullptr);
  a.push_back(2);
  a.pop_back();
  EXPECT_EQ(a.begin(), nullptr);
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, before);
}

TEST(TpkArray, GrowthResizeAndCopiesKeepElementsInOrder) {
  TPK::tpk_array<int> a;
  for (int i = 0; i < 1000; ++i) a.push_back(i);
  ASSERT_EQ(a.size(), 1000u);
  a.resize(1500);
  EXPECT_EQ(a[999], 999);
  EXPECT_EQ(a[1499], 0);  // new elements are value-initialised
  a.resize(10);
  TPK::tpk_array<int> copy(a);
  copy[0] = 42;
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(copy[9], 9);
  const int raw[] = {7, 8, 9};
  TPK::tpk_array<int> from_raw(raw, 3);
  a = from_raw;
  EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{7, 8, 9}));
  a = a;  // self-assignment keeps the contents
  EXPECT_EQ(a.size(), 3u);
  // Pushing an element of the array itself while it must grow.
  TPK::tpk_array<std::string> s;
  s.push_back("x");
  for (int i = 0; i < 20; ++i) s.push_back(s[0]);
  EXPECT_EQ(s[20], "x");

  // Arrays of arrays give back every block, also through copies and shrinking.
  const auto before = TPK::get_heap_counts();
  {
    TPK::tpk_array<TPK::tpk_array<char>> ids;
    for (int i = 0; i < 50; ++i) ids.push_back(TPK::tpk_array<char>("abcdef", 6));
    TPK::tpk_array<TPK::tpk_array<char>> copy = ids;
    copy.resize(3);
    EXPECT_EQ(copy[2].size(), 6u);
  }
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks);
  EXPECT_EQ(TPK::get_heap_counts().live_bytes, before.live_bytes);
}

TEST(KernelHeap, InjectedFailureThrowsOnceAndLeavesTheArrayIntact) {
  TPK::tpk_array<int> a;
  for (int i = 0; i < 4; ++i) a.push_back(i);  // full at capacity 4
  TPK::fail_heap_allocation_after(1);
  EXPECT_THROW(a.push_back(4), std::bad_alloc);
  EXPECT_EQ(a.size(), 4u);
  EXPECT_EQ(a[3], 3);
  a.push_back(4);  // the heap works again
  EXPECT_EQ(a.size(), 5u);
}

// Each allocation of a model's construction fails in turn: the build throws or fails, and the heap
// returns to where it was; so it does once the model built in the end is queried and deleted.
TEST(KernelHeap, FailedConstructionAndDeletedModelsLeakNothing) {
  test_support::scratch_stream stream;
  const auto before = TPK::get_heap_counts();
  const std::function<outcome(BODY*&)> builders[] = {
      [](BODY*& b) { return TPI_BUILD::make_block(1, 2, 3, b); },
      [](BODY*& b) { return TPI_BUILD::make_cylinder(1, 2, b); },
      [](BODY*& b) { return TPI_BUILD::make_cone(2, 1, 3, b); },
      [](BODY*& b) { return TPI_BUILD::make_cone(1, 0, 1, b); },
      [](BODY*& b) { return TPI_BUILD::make_sphere(1, b); },
      [](BODY*& b) { return TPI_BUILD::make_torus(3, 1, b); },
      [](BODY*& b) {
        return TPI_BUILD::make_polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}},
                                          {{0, 1, 2, 3}, {1, 4, 2}}, b);
      }};
  for (const auto& build : builders) {
    for (int n = 1;; ++n) {
      TPK::fail_heap_allocation_after(n);
      BODY* body = nullptr;
      bool built = false;
      try {
        built = build(body).ok();
      } catch (const std::bad_alloc&) {
      }
      TPK::fail_heap_allocation_after(0);
      if (built) {
        test_support::faces_of(body->vertices()[0]);
        TPI_MODEL::delete_body(body);
        stream->clear();
        break;
      }
      EXPECT_EQ(body, nullptr);
      ASSERT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks) << "failure at " << n;
    }
    EXPECT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks);
    EXPECT_EQ(TPK::get_heap_counts().live_bytes, before.live_bytes);
  }
}

}  // namespace
