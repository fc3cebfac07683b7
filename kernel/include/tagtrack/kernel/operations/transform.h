// Moving a body rigidly.
//
// Statement: every entity of the body is moved (each custom attribute hears trans_owner), in
// kernel order (see walk order: faces with their loops and coedges, edges, vertices, the body).
#pragma once

#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_MODEL {

// Applies `motion` to every surface, curve and point of the body. Fails for a deleted body or a
// motion whose rotation is not orthonormal with determinant +1.
TPK_KERNEL_EXPORT outcome transform_body(BODY* body, const TPK::transf& motion);

}  // namespace TPI_MODEL
