// The kernel's topology and geometry queries: an entity's faces, edges and vertices in kernel
// order, a vertex's point, a face's surface and the parameters of a point on it, the faces around
// a vertex in their order, and equality within the kernel's resolution.
#pragma once

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/topology/ordered_faces.h>
#include <tagtrack/kernel/topology/query.h>
