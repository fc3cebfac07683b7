#include "tracking/tracker.h"

namespace TPI_TAGGING_TRACKING {

ITracker::~ITracker() = default;

void TPI_TRACKER::track(const TRACK_CONTEXT&, const ITrackable*, IRecipe*&) {}
void TPI_TRACKER::match(const MATCH_CONTEXT&, const IRecipe*, std::vector<ITrackable*>&) {}

}  // namespace TPI_TAGGING_TRACKING
