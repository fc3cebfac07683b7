#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/matching/internal/trackable_results.h>
#include <tagtrack/matching/match_context.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

void FACE_TRACKER::match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
                         std::vector<ITrackable*>& results) {
  const auto* face_recipe = dynamic_cast<const FACE_RECIPE*>(recipe);
  if (face_recipe == nullptr) return;
  const std::vector<FACE*> found =
      find_tag_candidates(face_recipe->tags(), ctx, static_cast<FACE*>(nullptr));
  append_trackables<FACE_TRACKABLE>(found, results);
}

}  // namespace TPI_TAGGING_TRACKING
