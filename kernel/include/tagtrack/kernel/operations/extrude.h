// Extruding (padding) the planar face of a sheet into a solid.
//
// Statement: the profile face, its edges and vertices are kept as the bottom (their attributes
// untouched, though the face turns over when it faced the way of the extrusion); the top face is
// a copy of the profile (each custom attribute of the profile hears copy_owner naming it), and so
// is each top edge of its profile edge and each top vertex of its profile vertex, announced in
// that order: the face, then its edges and vertices in the face's order; the side faces and the
// edges along the extrusion are created.
#pragma once

#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_MODEL {

// Sweeps `profile`, the only face of a sheet body, along `direction` into a solid of the same
// body. The profile's edges must be straight, or circles whose axis is along `direction`; the
// direction must not lie in the profile's plane. Side faces are planes and cylinders, made in the
// order of the profile's coedges; `top` receives the top face.
TPK_KERNEL_EXPORT outcome extrude(FACE* profile, const TPK::vector3& direction, FACE*& top);

}  // namespace TPI_MODEL
