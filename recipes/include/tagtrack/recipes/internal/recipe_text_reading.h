// The recipe text reader's own view of a text: how it left its stream. Not installed; the tests
// hold recipe_text_problem to it.
#pragma once

#include <cstddef>
#include <ios>
#include <string_view>

#include <tagtrack/recipes/recipe.h>

namespace TPI_TAGGING_TRACKING {

struct text_reading {
  std::ios_base::iostate state = std::ios_base::goodbit;
  std::size_t stopped_at = 0;  // the offset of the first character not read
};

// Reads `text` into `recipe` exactly as restore_from_string reads a text into a recipe of that
// kind (the text's whole length is read, NUL characters included), and gives the stream's state
// and where reading stopped. A list announcing more than max_nested_recipes throws
// std::length_error, as there.
text_reading read_recipe_text(std::string_view text, IRecipe& recipe);

}  // namespace TPI_TAGGING_TRACKING
