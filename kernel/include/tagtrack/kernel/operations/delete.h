// Deleting bodies, faces and attributes.
//
// Statement: every entity that goes is lost: each of its custom attributes hears lose_owner, then
// the entity and its attributes leave the model. They stay in the history stream, at the same
// addresses, until the states that could bring them back are discarded.
#pragma once

#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

class ATTRIB;

namespace TPI_MODEL {

// The body and everything in it (faces with their loops and coedges, edges, vertices, the body),
// lost in that order.
TPK_KERNEL_EXPORT outcome delete_body(BODY* body);

// The face, its loops and coedges; then its edges that no other face uses, and the vertices those
// leave without edges. The rest of the body stays: a solid becomes a sheet.
TPK_KERNEL_EXPORT outcome delete_face(FACE* face);

// Takes the attribute off its owner and deletes it (with its definition). A custom attribute's
// definition first hears lose_owner, as it would if its owner were lost; the owner stays.
TPK_KERNEL_EXPORT outcome delete_attrib(ATTRIB* attrib);

// Dispatches on the kind: a body, a face or an attribute; any other entity is refused (edges,
// loops, coedges and vertices go with the faces that use them).
TPK_KERNEL_EXPORT outcome delete_entity(ENTITY* entity);

}  // namespace TPI_MODEL
