// The normal of a plane as a face sees it. Open CASCADE's plane is a frame whose X and Y
// directions parametrise it, and the surface normal is dU x dV = X x Y: the frame's axis for a
// right-handed frame, its reverse for a left-handed one (Open CASCADE gives some faces, chamfer
// faces among them, such a frame). A face's outward normal is that normal, reversed again for a
// REVERSED face.
#pragma once

#include <TopAbs_Orientation.hxx>
#include <gp_Dir.hxx>
#include <gp_Pln.hxx>

namespace TPI_OCCT {

inline gp_Dir surface_normal(const gp_Pln& plane) {
  const gp_Dir axis = plane.Axis().Direction();
  return plane.Position().Direct() ? axis : axis.Reversed();
}

inline gp_Dir outward_normal(const gp_Pln& plane, TopAbs_Orientation orientation) {
  const gp_Dir normal = surface_normal(plane);
  return orientation == TopAbs_REVERSED ? normal.Reversed() : normal;
}

}  // namespace TPI_OCCT
