// The recipe text: the only persistent form of a recipe, which callers keep in their documents.
// Blank-separated words: a type word ("F", "E" or "V"), the recipe's version, its tag text, and for
// edges and vertices the counts and texts of the nested recipes (and, for vertices, the uv order
// data by key). For example "F 3 1  2 a b 0 1 5" is a face recipe with one tag, primary id ab,
// secondary id 0 and operation id 5; "E 3 0 1 F 3 1  2 a b 0 1 5 0" an edge recipe without tags
// of its own holding that face recipe and no vertex recipes.
//
// Reading takes whatever the text holds. Once the outermost type word is accepted the result is a
// recipe, cut short where a number cannot be read: from there on every number reads as 0, and
// loops whose count was read before still run, adding empty nested recipes. Texts are documents
// users edit, so reading is bounded:
// - a list of nested recipes announced with more than max_nested_recipes entries ends the read with
//   std::length_error, which passes out of restore_from_string with nothing built and the caller's
//   pointer untouched (as running out of memory would);
// - uv entries read once the text is exhausted all land under key 0 with every field 0, so they
//   are stored once, however many the count announced;
// - a tag list is read as the tag text reads it (see tag_info::read_text).
// Written texts always carry the current tag form: a face or edge recipe read from a version-1
// text (numeric primary ids) keeps version 1 in memory but is written as version 3, so that the
// text reads back to the same tags; a vertex recipe is always written as version 3.
#pragma once

#include <cstddef>
#include <string>

#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// The most nested recipes one list of a recipe text may announce.
constexpr std::size_t max_nested_recipes = 100000;

// Puts the recipe's text in a new array (new[]), which the caller frees with delete[]; whatever
// `text` held is overwritten, not freed. A null recipe sets `text` to null and gives false.
TAGTRACK_EXPORT bool save_to_string(char*& text, IRecipe* recipe);

// Reads a recipe from `text` into a new recipe owned by the caller. False, with `recipe`
// untouched, for a null text or one whose first word is not "F", "E" or "V".
TAGTRACK_EXPORT bool restore_from_string(const char* text, IRecipe*& recipe);

// True when the recipe's text reads back into a recipe that writes the same text: every tag list
// in it survives the tag text (see survives_tag_text) and no list of nested recipes holds more than
// max_nested_recipes. Otherwise false, and `reason`, when given, says which list or tag is at fault
// and why. False with a reason for a null recipe. save_to_string writes any recipe; an application
// that must not lose a reference checks it here first.
TAGTRACK_EXPORT bool survives_recipe_text(const IRecipe* recipe, std::string* reason = nullptr);

}  // namespace TPI_TAGGING_TRACKING
