// Primitive solids and sheets, placed with their axis along +z through the origin. Each gives a
// valid body in `body` or fails with `body` untouched. Faces of solids face outwards.
#pragma once

#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_BUILD {

// The box [0, dx] x [0, dy] x [0, dz]: 8 vertices, 12 edges, 6 planar faces in the order
// bottom (z = 0), top, front (y = 0), right (x = dx), back, left.
TPK_KERNEL_EXPORT outcome make_block(double dx, double dy, double dz, BODY*& body);

// Faces: bottom cap (plane z = 0), top cap (plane z = height), side (cylinder). Each cap is
// bounded by one closed circular edge with one vertex, at (radius, 0, 0) and (radius, 0, height);
// the side's seam is a straight edge joining the two.
TPK_KERNEL_EXPORT outcome make_cylinder(double radius, double height, BODY*& body);

// A cone with bottom radius `bottom` at z = 0 and top radius `top` at z = height. With `top` > 0
// it has the cylinder's topology; with `top` = 0 there is no top cap and the seam runs from the
// bottom vertex to the apex vertex.
TPK_KERNEL_EXPORT outcome make_cone(double bottom, double top, double height, BODY*& body);

// One spherical face bounded by its seam: a half circle from the south pole vertex to the north
// pole vertex, used twice by the face's loop.
TPK_KERNEL_EXPORT outcome make_sphere(double radius, BODY*& body);

// One toroidal face bounded by its two seams, circles at u = 0 and at v = 0, which meet at the
// one vertex (major + minor, 0, 0).
TPK_KERNEL_EXPORT outcome make_torus(double major, double minor, BODY*& body);

// A sheet: one disc in the plane z = 0 facing +z, bounded by one closed circular edge with its one
// vertex at (radius, 0, 0). Polygonal sheets come from make_polyhedron.
TPK_KERNEL_EXPORT outcome make_disc(double radius, BODY*& body);

}  // namespace TPI_BUILD
