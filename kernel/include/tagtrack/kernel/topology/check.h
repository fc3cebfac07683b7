// The validity check of a body.
#pragma once

#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_CHECK {

// Checks the invariants every kernel operation keeps, and gives the first one broken:
// - the body's lists hold each entity once, and each names the body;
// - every loop is a closed cycle: next and previous agree, each coedge ends where the next starts;
// - every coedge is in its edge's partner ring and every ring member refers to that edge; the two
//   coedges of an edge used twice run in opposite directions;
// - every edge is listed by its vertices, and its curve runs from its start to its end point over
//   a finite, non-empty parameter range;
// - every point is finite, and every curve and surface is one a model file rebuilds from its
//   numbers (no zero direction or radius), so that a body that passes saves to a file that
//   restores;
// - every vertex lies on the surface of each face that has a corner there;
// - for a closed body (every edge used twice), V - E + 2F - L = 2(S - G) for its S connected
//   pieces and some genus G >= 0, where V counts each fan at a vertex once (so that pieces which
//   touch only at a vertex pass).
TPK_KERNEL_EXPORT outcome check_body(const BODY* body);

}  // namespace TPI_CHECK
