// Copying a body.
//
// Statement: every entity of the source is replicated into its counterpart: for each custom
// attribute, in order, the kernel asks copyable(); if true the counterpart gets an attribute
// whose definition is the definition's copy(copy_context(source attribute, new attribute)); if
// false, or if copy gives nothing, it gets none. Entities are visited in kernel order (faces with
// their loops and coedges, edges, vertices, the body).
#pragma once

#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_MODEL {

// A new body, in the current default stream, whose faces, edges and vertices correspond to the
// source's in the same kernel order, with copies of its geometry. Fails for a deleted body.
TPK_KERNEL_EXPORT outcome copy_body(BODY* source, BODY*& copy);

}  // namespace TPI_MODEL
