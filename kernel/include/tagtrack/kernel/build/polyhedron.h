// Bodies made of planar faces.
#pragma once

#include <vector>

#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_BUILD {

// Makes a body from `points` and `faces`, each face a loop of point indices going counter-clockwise
// seen from the side the face faces. Two faces that use the same two points one after the other
// share an edge there, and must use it in opposite directions. Faces may share a vertex without
// sharing an edge. The result is a closed solid when every edge has two faces, else a sheet.
//
// Kernel order of the result: faces in input order; edges in order of first use by the faces'
// loops; vertices in point order, points that no face uses left out. Each loop starts at the
// face's first point.
//
// Fails, making nothing, when an index is out of range, a face has fewer than three points or uses
// a point twice, a face's points are not on one plane (within the kernel resolution) or span no
// area, two faces use an edge in the same direction, or more than two faces use an edge.
TPK_KERNEL_EXPORT outcome make_polyhedron(const std::vector<TPK::position>& points,
                                          const std::vector<std::vector<int>>& faces, BODY*& body);

}  // namespace TPI_BUILD
