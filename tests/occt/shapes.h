// Open CASCADE solids the tests build, and their bodies.
#pragma once

#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepClass_FaceClassifier.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <gp_Ax2.hxx>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/shape_bodies.h>

#include "support/models.h"

namespace occt_test {

inline TopoDS_Shape box(double x, double y, double z, double dx, double dy, double dz) {
  return BRepPrimAPI_MakeBox(gp_Pnt(x, y, z), dx, dy, dz).Shape();
}

inline TopoDS_Shape cylinder(double x, double y, double z, double radius, double height) {
  return BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(x, y, z), gp::DZ()), radius, height).Shape();
}

// The bodies body_of made, for the fixture that deletes them.
inline std::vector<BODY*>& imported() {
  static std::vector<BODY*> bodies;
  return bodies;
}

inline BODY* body_of(const TopoDS_Shape& shape) {
  BODY* body = nullptr;
  const outcome made = TPI_OCCT::import_shape(shape, body);
  EXPECT_TRUE(made.ok()) << made.message();
  if (body != nullptr) imported().push_back(body);
  return body;
}

// Deletes the bodies body_of made that are still alive, then gives back the previous default
// history stream.
struct occt_stream {
  test_support::scratch_stream stream;
  ~occt_stream() {
    for (BODY* body : imported()) {
      if (body->alive()) TPI_MODEL::delete_body(body);
    }
    imported().clear();
  }
};

inline int count(const TopoDS_Shape& shape, TopAbs_ShapeEnum kind) {
  TopTools_IndexedMapOfShape map;
  TopExp::MapShapes(shape, kind, map);
  return map.Extent();
}

// The face of `body` that holds `p` (inside or on its boundary), the first in kernel order.
inline FACE* face_at(BODY* body, const TPK::position& p) {
  for (FACE* face : body->faces()) {
    TPK::par_pos uv;
    if (!face->geometry()->param(p, uv, nullptr)) continue;  // not on its surface
    BRepClass_FaceClassifier where(TPI_OCCT::face_shape(face), gp_Pnt(p.x, p.y, p.z), 1e-6);
    if (where.State() == TopAbs_IN) return face;
  }
  return nullptr;
}

// The edge of `body` that passes through `p`.
inline EDGE* edge_at(BODY* body, const TPK::position& p) {
  for (EDGE* edge : body->edges()) {
    double t = 0;
    if (edge->geometry()->param(p, t)) return edge;
  }
  return nullptr;
}

}  // namespace occt_test
