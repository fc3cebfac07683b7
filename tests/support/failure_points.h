// Allocation failure at every step: the kernel heap and the general heap (this program's global
// operator new) can each be told to fail one chosen allocation.
#pragma once

#include <cstdint>
#include <new>

namespace test_support {

enum class heap { kernel, general };

// Makes the n-th allocation from now of `which` (1 = the next one) throw std::bad_alloc, once;
// 0 disarms.
void fail_allocation_after(heap which, std::int64_t n) noexcept;

// Runs `step` with its 1st, 2nd, ... allocation from `which` failing, until a run allocates less
// than that and so completes; calls `after_failure()` after each run that ended in bad_alloc. `step`
// must leave the state it started from when it fails, which `after_failure` checks. Gives the
// number of failure points.
template <class Step, class AfterFailure>
int at_every_failure_point(heap which, Step step, AfterFailure after_failure) {
  for (int n = 1;; ++n) {
    fail_allocation_after(which, n);
    bool failed = false;
    try {
      step();
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    fail_allocation_after(which, 0);
    if (!failed) return n - 1;
    after_failure();
  }
}

}  // namespace test_support
