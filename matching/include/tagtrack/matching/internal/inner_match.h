// Running one matcher inside another: the entities found, read out of the trackables, which are
// destroyed at once.
#pragma once

#include <memory>
#include <vector>

#include <tagtrack/matching/match_context.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tracking/internal/checked_cast.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

// The faces that face matching finds for `recipe`, in its order (a trackable without a face is
// passed over).
inline std::vector<FACE*> faces_found(const MATCH_CONTEXT& ctx, const FACE_RECIPE& recipe) {
  std::vector<ITrackable*> results;
  FACE_TRACKER().match(ctx, &recipe, results);
  std::vector<FACE*> faces;
  for (ITrackable* t : results) {
    std::unique_ptr<ITrackable> owned(t);
    if (const FACE* f = checked_cast<const FACE_TRACKABLE*>(t)->GetFacePtr()) {
      faces.push_back(const_cast<FACE*>(f));
    }
  }
  return faces;
}

// The vertices that vertex matching finds for `recipe`, in its order.
inline std::vector<VERTEX*> vertices_found(const MATCH_CONTEXT& ctx, const VERTEX_RECIPE& recipe) {
  std::vector<ITrackable*> results;
  VERTEX_TRACKER().match(ctx, &recipe, results);
  std::vector<VERTEX*> vertices;
  for (ITrackable* t : results) {
    std::unique_ptr<ITrackable> owned(t);
    vertices.push_back(
        const_cast<VERTEX*>(checked_cast<const VERTEX_TRACKABLE*>(t)->GetVertexPtr()));
  }
  return vertices;
}

}  // namespace TPI_TAGGING_TRACKING
