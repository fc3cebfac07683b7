// Running one matcher inside another: the entities found, read out of the trackables, which are
// destroyed at once, also when an allocation fails part way.
#pragma once

#include <vector>

#include <tagtrack/matching/internal/trackable_results.h>
#include <tagtrack/matching/match_context.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tracking/internal/checked_cast.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

// The faces that face matching finds for `recipe`, in its order (a trackable without a face is
// passed over).
inline std::vector<FACE*> faces_found(const MATCH_CONTEXT& ctx, const FACE_RECIPE& recipe) {
  owned_results results;
  FACE_TRACKER().match(ctx, &recipe, results.get());
  std::vector<FACE*> faces;
  faces.reserve(results.get().size());
  for (ITrackable* t : results.get()) {
    if (const FACE* f = checked_cast<const FACE_TRACKABLE*>(t)->GetFacePtr()) {
      faces.push_back(const_cast<FACE*>(f));
    }
  }
  return faces;
}

// The vertices that vertex matching finds for `recipe`, in its order.
inline std::vector<VERTEX*> vertices_found(const MATCH_CONTEXT& ctx, const VERTEX_RECIPE& recipe) {
  owned_results results;
  VERTEX_TRACKER().match(ctx, &recipe, results.get());
  std::vector<VERTEX*> vertices;
  vertices.reserve(results.get().size());
  for (ITrackable* t : results.get()) {
    vertices.push_back(
        const_cast<VERTEX*>(checked_cast<const VERTEX_TRACKABLE*>(t)->GetVertexPtr()));
  }
  return vertices;
}

}  // namespace TPI_TAGGING_TRACKING
