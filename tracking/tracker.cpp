#include <tagtrack/tracking/tracker.h>

#include <tagtrack/recipes/recipe.h>

namespace TPI_TAGGING_TRACKING {

ITracker::~ITracker() = default;

void TPI_TRACKER::track(const TRACK_CONTEXT&, const ITrackable*, IRecipe*&) {}
void TPI_TRACKER::match(const MATCH_CONTEXT&, const IRecipe*, std::vector<ITrackable*>&) {}

// A recipe makes the tracker of its kind, so these members of the recipe classes are defined here,
// above them: the one place where recipes reach up to tracking, at link time only. (The same holds
// for the trackers' match, declared with tracking and defined with matching.)
ITracker* FACE_RECIPE::create_tracker() {
  return new FACE_TRACKER();
}

ITracker* VERTEX_RECIPE::create_tracker() {
  return new VERTEX_TRACKER();
}

ITracker* EDGE_RECIPE::create_tracker() {
  return new EDGE_TRACKER();
}

}  // namespace TPI_TAGGING_TRACKING
