// Splitting a face by a new edge between two of its vertices.
//
// Statement: the face is split; the new face is the other piece (each custom attribute of the
// face hears split_owner naming it); the new edge, its coedges and the new loop are created.
#pragma once

#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_MODEL {

// Splits `face` along a new edge from `a` to `b`, two distinct vertices that each occur once in
// the same loop of the face. The new edge's curve:
//   plane            the straight line a-b;
//   cylinder, cone   the ruling through a and b, which must share u (a cone's apex lies on every
//                    ruling);
//   sphere, torus    the iso-parameter arc through a and b where they share u (a meridian) or v (a
//                    parallel); it runs the increasing way from the smaller parameter to the
//                    larger, never across the seam. On a sphere a pole lies on every meridian;
//                    between the two poles the meridian is the one at u = pi.
// The curve must run inside the face: the kernel checks the parameters, not the face's area.
// The face keeps the part of the split loop that holds the loop's first coedge, and its other
// loops; the new face, on a copy of the surface with the same sense, gets the rest. The edge runs
// from a to b, unless the arc's parameter runs the other way; its first coedge is the one on
// `face`.
TPK_KERNEL_EXPORT outcome split_face(FACE* face, VERTEX* a, VERTEX* b, EDGE*& new_edge,
                                     FACE*& new_face);

}  // namespace TPI_MODEL
