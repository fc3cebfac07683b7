#include <tagtrack/tracking/make_recipe.h>

namespace TPI_TAGGING_TRACKING {

recipe_ptr make_recipe(const ITrackable& trackable) {
  IRecipe* made = nullptr;
  trackable.MakeRecipe(TRACK_CONTEXT(), made);
  return recipe_ptr(made);
}

}  // namespace TPI_TAGGING_TRACKING
