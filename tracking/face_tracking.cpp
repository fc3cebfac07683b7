#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tracking/internal/checked_cast.h>
#include <tagtrack/tracking/internal/entity_lookup.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

void FACE_TRACKER::track(const TRACK_CONTEXT&, const ITrackable* trackable, IRecipe*& recipe) {
  if (trackable == nullptr) {
    recipe = nullptr;
    return;
  }
  FACE* face = const_cast<FACE*>(checked_cast<const FACE_TRACKABLE*>(trackable)->GetFacePtr());
  const tag_info* tags = find_entity_tag_info(TPK::as_entity(face));
  recipe = tags != nullptr ? new FACE_RECIPE(*tags) : nullptr;
}

}  // namespace TPI_TAGGING_TRACKING
