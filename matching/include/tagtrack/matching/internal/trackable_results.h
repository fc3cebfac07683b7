// Handing found entities over as trackables without leaking one when an allocation fails part way.
#pragma once

#include <cstddef>
#include <vector>

#include <tagtrack/tracking/trackable.h>

namespace TPI_TAGGING_TRACKING {

// Appends a new `Trackable` for each entity to `results`: all of them, or, when an allocation
// fails, none (the vector is as it was and the exception passes on).
template <class Trackable, class Entity>
void append_trackables(const std::vector<Entity*>& entities, std::vector<ITrackable*>& results) {
  const std::size_t before = results.size();
  results.reserve(before + entities.size());
  try {
    for (Entity* e : entities) results.push_back(new Trackable(e));
  } catch (...) {
    for (std::size_t i = before; i < results.size(); ++i) delete results[i];
    results.resize(before);
    throw;
  }
}

}  // namespace TPI_TAGGING_TRACKING
