#include <tagtrack/tracking/trackable.h>

#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

ITrackable::~ITrackable() = default;

void FACE_TRACKABLE::MakeRecipe(const TRACK_CONTEXT& ctx, IRecipe*& recipe) const {
  FACE_TRACKER().track(ctx, this, recipe);
}

void EDGE_TRACKABLE::MakeRecipe(const TRACK_CONTEXT& ctx, IRecipe*& recipe) const {
  EDGE_TRACKER().track(ctx, this, recipe);
}

void VERTEX_TRACKABLE::MakeRecipe(const TRACK_CONTEXT& ctx, IRecipe*& recipe) const {
  VERTEX_TRACKER().track(ctx, this, recipe);
}

}  // namespace TPI_TAGGING_TRACKING
