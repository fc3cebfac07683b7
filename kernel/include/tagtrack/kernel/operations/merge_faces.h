// Merging two faces that lie on the same surface and share edges.
//
// Statement: `gone` is merged into `kept` (each custom attribute of `gone` hears merge_owner naming
// `kept` with the flag true, then each attribute of `kept` hears merge_owner naming `gone` with the
// flag false); then `gone`, the shared edges removed, their coedges, the loops left empty and the
// vertices left without edges are lost.
#pragma once

#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_MODEL {

// Merges `gone` into `kept`: the edges they share go, except those on a seam of a periodic surface
// (which become seams of the merged face); the boundaries join into the loops of `kept`, which
// keeps its loop objects in order for the first loops of the result. The faces must be distinct
// faces of one body, with the same sense, on equal surfaces, sharing at least one edge that can go.
TPK_KERNEL_EXPORT outcome merge_faces(FACE* kept, FACE* gone);

}  // namespace TPI_MODEL
