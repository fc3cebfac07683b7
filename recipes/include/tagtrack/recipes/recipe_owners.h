// Owners for what the recipe functions hand over, and the recipe text as a std::string, beside
// save_to_string and restore_from_string, which they use.
#pragma once

#include <memory>
#include <string>

#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// A recipe the caller owns: made by a trackable or read from a text, destroyed with the pointer.
using recipe_ptr = std::unique_ptr<IRecipe>;

// The buffer save_to_string hands over, freed with delete[] by the pointer.
using text_ptr = std::unique_ptr<char[]>;

// The recipe's text; empty for a null recipe.
TAGTRACK_EXPORT std::string recipe_text(IRecipe* recipe);

// The recipe that `text` reads into; null when the text is not a recipe text (its first word is
// not "F", "E" or "V"). A text announcing more nested recipes than max_nested_recipes throws
// std::length_error, as restore_from_string does.
TAGTRACK_EXPORT recipe_ptr read_recipe(const std::string& text);

}  // namespace TPI_TAGGING_TRACKING
