// Whether two recipes describe the same entity in the same way.
#pragma once

#include <tagtrack/recipes/recipe.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// True when `a` and `b` are of the same class and agree; false for different classes and for null.
// Tag lists agree when every tag of b finds an equal tag (all fields) in a and the count of such
// tags of b equals the sizes of both lists: so the order of tags plays no part, and with repeated
// tags the test is not symmetric ({x, y} against {x, x} agree, the other way round they do not).
// - face recipes: their tags agree;
// - edge recipes: their tags agree, they hold as many face recipes and each face recipe of a
//   agrees with some face recipe of b, then the same for vertex recipes (not one to one, in any
//   order);
// - vertex recipes: their tags agree and their face recipes agree position by position (the order
//   around the vertex and its starting face matter); uv order data are not compared.
// Versions are never compared.
TAGTRACK_EXPORT bool is_same_Recipe(const IRecipe* a, const IRecipe* b);

}  // namespace TPI_TAGGING_TRACKING
