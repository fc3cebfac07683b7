// Faces, edges and vertices of a shape, as an application's user picks them: by a point.
#pragma once

#include <string>
#include <vector>

#include <TopAbs_ShapeEnum.hxx>
#include <TopoDS_Shape.hxx>

#include <tagtrack/features/feature.h>
#include <tagtrack/features/features_export.h>

namespace tagtrack {

enum class entity_type { face, edge, vertex };

// "face", "edge", "vertex".
TAGTRACK_FEATURES_EXPORT const char* type_word(entity_type type);
TAGTRACK_FEATURES_EXPORT TopAbs_ShapeEnum shape_type(entity_type type);

// The sub-shapes of that kind of `shape` that contain `p` within 1e-6 (a point inside a face,
// inside an edge, or at a vertex), in TopExp::MapShapes order; degenerate edges are left out.
TAGTRACK_FEATURES_EXPORT std::vector<TopoDS_Shape> entities_at(const TopoDS_Shape& shape,
                                                               entity_type type, const point3& p);

}  // namespace tagtrack
