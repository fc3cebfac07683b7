// Splitting an edge at a point.
//
// Statement: the edge is split; the piece beyond the point is new (each custom attribute of the
// edge hears split_owner naming it); the vertex at the point and the new coedges are created.
#pragma once

#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_MODEL {

// Splits `edge` at `at`, which must lie on it, strictly between its ends (for a closed edge: away
// from its vertex). The edge keeps its start and now ends at `new_vertex`, placed on the curve; the
// new edge, on a copy of the same curve, runs on from there to the old end. Every face using the
// edge uses both pieces in its place; each end vertex lists the piece that now meets it where it
// listed the edge.
TPK_KERNEL_EXPORT outcome split_edge(EDGE* edge, const TPK::position& at, VERTEX*& new_vertex,
                                     EDGE*& new_edge);

}  // namespace TPI_MODEL
