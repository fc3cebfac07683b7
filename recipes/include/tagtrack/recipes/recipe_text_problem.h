// Where a recipe text goes wrong: the first place at which the recipe text reader cannot take the
// item that the text must hold there, said in plain words, for people who edit or repair texts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// The first problem of a recipe text: the offset of the character where it lies (the length of
// the text read when the text ends too early), that place as a line and a column counted from 1
// (a line feed ends a line; columns count bytes), and what is wrong there.
struct recipe_text_fault {
  std::size_t offset = 0;
  std::size_t line = 1;
  std::size_t column = 1;
  std::string reason;
};

// Nothing when `text` is a well-formed recipe text; otherwise its first problem. Well formed means
// that the reader (restore_from_string) accepts its first word ("F", "E" or "V") and then takes
// every item that the text announces, in the layout of recipe_text.h and tag_info::read_text,
// without an item failing or a count exceeding its bound (max_nested_recipes, max_text_tags, a
// primary id's length below 0), and that only white space follows the recipe.
//
// The check reads as the reader reads, so it is exactly as lenient: the type word of a nested
// recipe may be any word (the reader skips it), a number needs no blank before the next item
// ("2ab" is a length and two characters), negative counts of nested recipes, operation ids and uv
// entries mean none, and the version decides the tag layout and whether uv entries follow. The text
// ends at its first NUL character, as it does for the reader; a NUL is always a problem, since
// whatever the text holds after it is never read.
//
// restore_from_string still makes a recipe of a malformed text whose first word is a type word (cut
// short where reading failed), so an application that keeps texts it did not write, or a person
// editing one, learns here whether the recipe read is the one the text describes.
TAGTRACK_EXPORT std::optional<recipe_text_fault> recipe_text_problem(std::string_view text);

}  // namespace TPI_TAGGING_TRACKING
