// Matching in one call, with the results owned and the entities typed: beside the trackers' match,
// which it uses. find_matches(recipe, bodies) runs the matcher of the recipe's kind over the bodies
// and gives what it found; the trackables die with the result.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tagtrack_export.h>
#include <tagtrack/tracking/trackable.h>

namespace TPI_TAGGING_TRACKING {

// A trackable the caller owns.
using trackable_ptr = std::unique_ptr<ITrackable>;

// The entity a trackable wraps; null for a trackable of another kind or one without an entity.
TAGTRACK_EXPORT FACE* face_of(const ITrackable* trackable);
TAGTRACK_EXPORT EDGE* edge_of(const ITrackable* trackable);
TAGTRACK_EXPORT VERTEX* vertex_of(const ITrackable* trackable);

// The trackables a matcher appended, owned: each is destroyed with this object.
class TAGTRACK_EXPORT match_results {
 public:
  match_results() = default;
  match_results(const match_results&) = delete;
  match_results& operator=(const match_results&) = delete;
  match_results(match_results&& other) noexcept;
  match_results& operator=(match_results&& other) noexcept;
  ~match_results();

  // The vector to hand to a tracker's match; what it appends is owned from then on.
  std::vector<ITrackable*>& out() { return m_found; }
  const std::vector<ITrackable*>& trackables() const { return m_found; }
  std::size_t size() const { return m_found.size(); }
  bool empty() const { return m_found.empty(); }

  // The entities found, in the matcher's order; trackables of another kind are left out.
  std::vector<FACE*> faces() const;
  std::vector<EDGE*> edges() const;
  std::vector<VERTEX*> vertices() const;

 private:
  void destroy() noexcept;
  std::vector<ITrackable*> m_found;
};

// Matches `recipe` in `bodies` with the matcher of its kind: one entity when the reference
// resolved, several when the recipe fits several equally well, none when nothing fits (or for a
// null recipe).
TAGTRACK_EXPORT match_results find_matches(const IRecipe* recipe, const std::vector<BODY*>& bodies);

}  // namespace TPI_TAGGING_TRACKING
