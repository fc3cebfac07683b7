#include <tagtrack/recipes/recipe_owners.h>

#include <tagtrack/recipes/recipe_text.h>

namespace TPI_TAGGING_TRACKING {

std::string recipe_text(IRecipe* recipe) {
  char* text = nullptr;
  if (!save_to_string(text, recipe)) return std::string();
  const text_ptr owned(text);
  return std::string(text);
}

recipe_ptr read_recipe(const std::string& text) {
  IRecipe* recipe = nullptr;
  if (!restore_from_string(text.c_str(), recipe)) return nullptr;
  return recipe_ptr(recipe);
}

}  // namespace TPI_TAGGING_TRACKING
