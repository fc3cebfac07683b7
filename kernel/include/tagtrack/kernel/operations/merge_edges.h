// Merging the two edges that meet at a vertex into one.
//
// Statement: the second edge at the vertex is merged into the first (each custom attribute of the
// edge that goes hears merge_owner naming the survivor with the flag true, then each attribute of
// the survivor hears merge_owner naming the edge that goes with the flag false); then the edge
// that goes, its coedges and the vertex are lost.
#pragma once

#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_MODEL {

// Removes `vertex`, where exactly two open edges meet that lie on the same line or circle and are
// used by the same faces (each coedge of one followed or preceded at the vertex by a coedge of the
// other). The first edge in the vertex's list survives, keeps its direction and curve and reaches
// over the other; `survivor` receives it.
TPK_KERNEL_EXPORT outcome merge_edges(VERTEX* vertex, EDGE*& survivor);

}  // namespace TPI_MODEL
