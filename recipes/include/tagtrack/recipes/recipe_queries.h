// Which kind of entity a recipe describes, the operation ids it mentions, and rewriting its ids
// when the caller renames a primary id or renumbers an operation.
#pragma once

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// True exactly for a recipe of that class; false for null.
TAGTRACK_EXPORT bool is_face_recipe(IRecipe* recipe);
TAGTRACK_EXPORT bool is_edge_recipe(IRecipe* recipe);
TAGTRACK_EXPORT bool is_vertex_recipe(IRecipe* recipe);

// Renames the primary id `old_id` to `new_id` (both C strings, without their terminating NUL) in
// every tag of the recipe tree; only whole equal ids change. Requires non-null arguments.
TAGTRACK_EXPORT void update_primary_id(IRecipe* recipe, const char* old_id, const char* new_id);
// Changes every operation id `old_id` of the recipe tree to `new_id`. Requires a recipe.
TAGTRACK_EXPORT void update_operation_id(IRecipe* recipe, int old_id, int new_id);

// Replaces the content of `ids` with every operation id of the recipe tree, each once, ascending.
// False, leaving `ids` alone, for a null recipe.
TAGTRACK_EXPORT bool get_operation_ids_from_recipe(IRecipe* recipe, TPK::tpk_array<int>& ids);

}  // namespace TPI_TAGGING_TRACKING
