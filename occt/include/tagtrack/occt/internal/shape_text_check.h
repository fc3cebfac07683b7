// The check of an Open CASCADE shape text before its reader sees it.
#pragma once

#include <cstddef>
#include <string>

namespace tagtrack_occt {

// Open CASCADE's BREP reader trusts its text: each count it reads runs a loop, or sizes an array,
// that many times whatever follows, a number is taken as it reads, and a trimmed or offset curve
// or surface reads its basis by recursion. This check walks the tables of `text` from `from` on
// (locations, 2d and 3d curves, polygons, surfaces, triangulations, shapes) and holds every count
// to what the rest of the text can hold (each entry takes at least one character and a separator),
// every number to being finite and the nesting of curves and surfaces to a bounded depth; an entry
// of a kind the reader does not know, or a token where a whole number belongs, would put the
// reader out of step with the text and is refused too. It takes time in proportion to the text.
// Gives why the text does not hold what it says, or an empty string.
std::string shape_text_fault(const std::string& text, std::size_t from);

}  // namespace tagtrack_occt
