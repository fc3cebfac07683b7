// Persistent numbers of a sketch's segments. A sketcher's segments keep their identity while the
// user edits the profile, and the faces a prism raises on them are named by these numbers, so a
// side keeps its name when a segment is added or removed elsewhere in the polygon.
#pragma once

#include <vector>

#include <tagtrack/features/feature.h>
#include <tagtrack/features/features_export.h>

namespace tagtrack {

// A polygon's segments (segment k from point k to point k+1, the last closing back to point 0)
// with their numbers.
struct numbered_polygon {
  std::vector<point3> points;
  std::vector<int> numbers;
};

// The numbers of `points`' segments after `previous` (null for a new sketch: the positions). A
// segment keeps the number of the previous polygon's segment between the same two points, else of
// the one that started, or else ended, at its start or end point. A polygon with as many points as
// before gives its remaining segments the numbers of their positions (their points moved); in one
// with more or fewer, a remaining segment between two that kept their numbers takes the number of
// an old segment between those two that pointed the same way. The others are numbered anew, after
// the largest number used before.
TAGTRACK_FEATURES_EXPORT numbered_polygon number_segments(const std::vector<point3>& points,
                                                          const numbered_polygon* previous);

}  // namespace tagtrack
