// Allocation failure at every step: the kernel heap and the general heap (this program's global
// operator new) can each be told to fail one chosen allocation.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include <tagtrack/kernel/kernel.h>

namespace test_support {

enum class heap { kernel, general };

// Makes the n-th allocation from now of `which` (1 = the next one) throw std::bad_alloc, once;
// 0 disarms.
void fail_allocation_after(heap which, std::int64_t n) noexcept;

// How many allocations `which` has handed out since the program started.
std::int64_t allocations_made(heap which) noexcept;

// Runs `step` with its 1st, 2nd, ... allocation from `which` failing, until a run allocates less
// than that and so completes; calls `after_failure()` after each run that ended in bad_alloc.
// `step` must leave the state it started from when it fails, which `after_failure` checks. Gives
// the number of failure points.
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

// Runs steps on a model at every failure point of both heaps and checks, after each failure, that
// the model is as it was: the bodies (same objects, links, geometry and tags) and their validity,
// the default history stream, and the kernel heap back at its count; with the tag manager on, what
// it records changes with the notifications sent before the failure, and so does the kernel heap
// its keys live on, so what must hold then is that it records no attribute that has left the
// model. The general heap is checked by the runs under valgrind and the sanitizers.
class failure_point_checks {
 public:
  explicit failure_point_checks(std::function<std::vector<BODY*>()> bodies)
      : m_bodies(std::move(bodies)) {}

  // Fails each allocation of `step` in turn, on each of `heaps` in order, checking after each
  // failure that nothing changed and that `outputs_untouched()` holds; the run that completes is
  // then undone by `undo` (when given) so that the next heap starts from the same model. Gives the
  // number of failure points.
  int at_every_point(const std::function<void()>& step,
                     const std::function<bool()>& outputs_untouched,
                     const std::function<void()>& undo = nullptr,
                     std::initializer_list<heap> heaps = {heap::kernel, heap::general}) const;

 private:
  struct snapshot {
    std::string model;
    HISTORY_STREAM* default_stream = nullptr;
    std::int64_t kernel_blocks = 0;
  };
  snapshot take() const;
  void expect_unchanged(const snapshot& before) const;

  std::function<std::vector<BODY*>()> m_bodies;
};

}  // namespace test_support
