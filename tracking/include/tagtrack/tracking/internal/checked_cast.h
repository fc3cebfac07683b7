// A downcast the caller's contract guarantees (a tracker is handed the trackable of its own kind,
// a matcher gets back the trackables it made): static in release builds, verified in debug builds.
#pragma once

#include <cassert>

namespace TPI_TAGGING_TRACKING {

template <class To, class From>
To checked_cast(From* from) {
  assert(from == nullptr || dynamic_cast<To>(from) != nullptr);
  return static_cast<To>(from);
}

}  // namespace TPI_TAGGING_TRACKING
