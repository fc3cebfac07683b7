#include "recipes/recipe.h"
#include "tracking/internal/entity_lookup.h"
#include "tracking/tracker.h"

namespace TPI_TAGGING_TRACKING {

void FACE_TRACKER::track(const TRACK_CONTEXT&, const ITrackable* trackable, IRecipe*& recipe) {
  if (trackable == nullptr) {
    recipe = nullptr;
    return;
  }
  FACE* face = const_cast<FACE*>(static_cast<const FACE_TRACKABLE*>(trackable)->GetFacePtr());
  const tag_info* tags = find_entity_tag_info(face);
  recipe = tags != nullptr ? new FACE_RECIPE(*tags) : nullptr;
}

}  // namespace TPI_TAGGING_TRACKING
