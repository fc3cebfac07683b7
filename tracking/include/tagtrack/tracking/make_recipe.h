// A trackable's recipe as an owned pointer, beside MakeRecipe, which it uses.
#pragma once

#include <tagtrack/recipes/recipe_owners.h>
#include <tagtrack/tagtrack_export.h>
#include <tagtrack/tracking/trackable.h>

namespace TPI_TAGGING_TRACKING {

// The recipe of the trackable's entity (made in a default track context: no tracker reads it);
// null when none is made.
TAGTRACK_EXPORT recipe_ptr make_recipe(const ITrackable& trackable);

}  // namespace TPI_TAGGING_TRACKING
