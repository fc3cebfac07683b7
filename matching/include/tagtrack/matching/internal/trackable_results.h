// Handing found entities over as trackables, and reading them back out of an inner match, without
// leaking a trackable when an allocation fails part way.
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

// The results of a match run inside another matcher, owned: whatever the inner match appended is
// destroyed with this, also when it or the reading of the results throws.
class owned_results {
 public:
  owned_results() = default;
  owned_results(const owned_results&) = delete;
  owned_results& operator=(const owned_results&) = delete;
  ~owned_results() {
    for (ITrackable* t : m_results) delete t;
  }
  std::vector<ITrackable*>& get() { return m_results; }

 private:
  std::vector<ITrackable*> m_results;
};

}  // namespace TPI_TAGGING_TRACKING
