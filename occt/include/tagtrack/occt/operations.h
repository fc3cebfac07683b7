// Open CASCADE's modelling algorithms on bodies backed by its shapes. Each runs the algorithm on
// the shapes behind the bodies and carries the bodies over to its result in one kernel operation,
// recorded in the history (roll back and forward restore bodies, shapes and attributes):
//   - an entity whose sub-shape is in the result, or was modified into exactly one, stays the same
//     entity with its attributes (after a transform they hear trans_owner);
//   - one modified into several keeps the first in the result's order; the others split off it
//     (its attributes hear split_owner);
//   - several modified into one merge into the first of them that keeps nothing else
//     (merge_owner); images shared by entities that keep others are reached by a split off each
//     followed by a merge;
//   - one neither in the result nor modified into it is lost (lose_owner);
//   - one the algorithm generated is new: a copy of its generator when that is of its own kind (a
//     prism's top face, edges and vertices: copy_owner), else created without attributes.
// A body given as a tool joins the result with its surviving entities and is then lost.
//
// Failures (the algorithm not done or throwing, a result that is not a solid, shell or compound of
// them or that the kernel cannot hold as a valid body, a body not backed by a shape) leave every
// body exactly as it was and give the reason.
#pragma once

#include <vector>

#include <BRepTools_History.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Trsf.hxx>

#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>
#include <tagtrack/occt/occt_export.h>

namespace TPI_OCCT {

// Booleans: `body` becomes the fuse, cut or common of itself and `tool`.
TAGTRACK_OCCT_EXPORT outcome fuse(BODY* body, BODY* tool);
TAGTRACK_OCCT_EXPORT outcome cut(BODY* body, BODY* tool);
TAGTRACK_OCCT_EXPORT outcome common(BODY* body, BODY* tool);

// Rounds or bevels edges of one body.
TAGTRACK_OCCT_EXPORT outcome fillet(const std::vector<EDGE*>& edges, double radius);
TAGTRACK_OCCT_EXPORT outcome chamfer(const std::vector<EDGE*>& edges, double distance);

// Sweeps `face`, the only face of its body (a sheet), along `direction` into a solid of the same
// body: the face stays as the bottom, the top face, its edges and vertices are copies of the
// bottom's, the sides are created.
TAGTRACK_OCCT_EXPORT outcome prism(FACE* face, const TPK::vector3& direction);

// Merges the faces (and edges) of `body` that lie on one surface (ShapeUpgrade_UnifySameDomain).
TAGTRACK_OCCT_EXPORT outcome unify(BODY* body);

// Moves `body` rigidly.
TAGTRACK_OCCT_EXPORT outcome transform(BODY* body, const gp_Trsf& motion);

// Any other algorithm: its result and its history of the shapes behind `bodies` (the first one
// becomes the result). Fails also when the history names images that are not in the result.
TAGTRACK_OCCT_EXPORT outcome apply_history(const std::vector<BODY*>& bodies,
                                           const TopoDS_Shape& result,
                                           const Handle(BRepTools_History) & history);

}  // namespace TPI_OCCT
