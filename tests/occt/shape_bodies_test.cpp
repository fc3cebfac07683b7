// Shapes imported as bodies: the kernel's topology is the shape's, entity for sub-shape, and
// valid; and the geometry of their faces and edges is held to what geometry says of any surface
// and curve.
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepPrimAPI_MakeCone.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRep_Tool.hxx>
#include <Geom_BezierSurface.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <TopoDS.hxx>
#include <gp_Elips.hxx>

#include <tagtrack/kernel/geometry/outside.h>
#include <tagtrack/occt/operations.h>

#include "occt/shapes.h"

namespace {

using namespace occt_test;

TopoDS_Shape block_with_boss() {
  BRepAlgoAPI_Fuse fused(box(0, 0, 0, 10, 10, 2), cylinder(5, 5, 2, 2, 3));
  return fused.Shape();
}

TopoDS_Shape filleted_block() {
  const TopoDS_Shape block = box(0, 0, 0, 10, 10, 2);
  BRepFilletAPI_MakeFillet fillet(block);
  TopExp_Explorer edges(block, TopAbs_EDGE);
  fillet.Add(0.5, TopoDS::Edge(edges.Current()));
  return fillet.Shape();
}

TEST(ShapeBodies, ImportedTopologyIsTheShapesOneToOne) {
  occt_stream scratch;
  const std::vector<std::pair<const char*, TopoDS_Shape>> shapes = {
      {"block", box(0, 0, 0, 4, 3, 2)},
      {"cylinder (seam)", cylinder(0, 0, 0, 1, 2)},
      {"sphere (poles)", BRepPrimAPI_MakeSphere(gp_Pnt(1, 2, 3), 2).Shape()},
      {"torus", BRepPrimAPI_MakeTorus(gp_Ax2(gp_Pnt(0, 0, 0), gp::DZ()), 3, 1).Shape()},
      {"block with boss", block_with_boss()},
      {"filleted block", filleted_block()},
  };
  for (const auto& [name, shape] : shapes) {
    SCOPED_TRACE(name);
    BODY* body = body_of(shape);
    ASSERT_NE(body, nullptr);
    const outcome valid = TPI_CHECK::check_body(body);
    EXPECT_TRUE(valid.ok()) << valid.message();

    // Entity to sub-shape and back, one to one in MapShapes order. Degenerate edges (the sphere's
    // poles) are no kernel edges: the loop turns at their vertex.
    EXPECT_TRUE(TPI_OCCT::shape_of(body).IsSame(shape));
    TopTools_IndexedMapOfShape faces, edges, vertices;
    TopExp::MapShapes(shape, TopAbs_FACE, faces);
    TopExp::MapShapes(shape, TopAbs_EDGE, edges);
    TopExp::MapShapes(shape, TopAbs_VERTEX, vertices);
    ASSERT_EQ(static_cast<int>(body->faces().size()), faces.Extent());
    ASSERT_EQ(static_cast<int>(body->vertices().size()), vertices.Extent());
    const TPI_OCCT::shape_entities entities(body);
    for (int i = 1; i <= faces.Extent(); ++i) {
      FACE* face = body->faces()[static_cast<std::size_t>(i - 1)];
      EXPECT_TRUE(TPI_OCCT::face_shape(face).IsEqual(faces(i)));
      EXPECT_EQ(entities.face(faces(i)), face);
    }
    std::size_t k = 0;
    for (int i = 1; i <= edges.Extent(); ++i) {
      if (BRep_Tool::Degenerated(TopoDS::Edge(edges(i)))) {
        EXPECT_EQ(entities.edge(edges(i)), nullptr);
        continue;
      }
      ASSERT_LT(k, body->edges().size());
      EDGE* edge = body->edges()[k++];
      EXPECT_TRUE(TPI_OCCT::edge_shape(edge).IsSame(edges(i)));
      EXPECT_EQ(entities.edge(edges(i)), edge);
    }
    EXPECT_EQ(k, body->edges().size());
    for (int i = 1; i <= vertices.Extent(); ++i) {
      VERTEX* vertex = body->vertices()[static_cast<std::size_t>(i - 1)];
      EXPECT_TRUE(TPI_OCCT::vertex_shape(vertex).IsSame(vertices(i)));
      EXPECT_EQ(entities.vertex(vertices(i)), vertex);
      const gp_Pnt p = BRep_Tool::Pnt(TopoDS::Vertex(vertices(i)));
      EXPECT_TRUE(TPK::same_point(vertex->point(), {p.X(), p.Y(), p.Z()}));
    }
    EXPECT_EQ(entities.face(edges(1)), nullptr);  // not a face of the shape
  }
}

TEST(ShapeBodies, RefusesWhatIsNoSolidShellOrFace) {
  BODY* body = nullptr;
  EXPECT_FALSE(TPI_OCCT::import_shape(TopoDS_Shape(), body).ok());
  TopExp_Explorer edge(box(0, 0, 0, 1, 1, 1), TopAbs_EDGE);
  EXPECT_FALSE(TPI_OCCT::import_shape(edge.Current(), body).ok());
  EXPECT_EQ(body, nullptr);
  EXPECT_TRUE(TPI_OCCT::shape_of(nullptr).IsNull());
}

// The geometry of imported faces and edges, held to what geometry says of any surface and curve:
// a point on an edge maps to parameters and back on the faces along it, the normal is
// perpendicular to the surface, the tangent follows the curve, and a moved copy is the original
// moved.
using namespace occt_test;
using TPK::par_pos;
using TPK::position;
using TPK::vector3;

constexpr double pi = 3.14159265358979323846;

// A prism over an ellipse: its side is a surface of extrusion, which no closed form serves.
TopoDS_Shape elliptic_prism() {
  const gp_Elips ellipse(gp_Ax2(gp_Pnt(0, 0, 0), gp::DZ()), 3, 1.5);
  const TopoDS_Wire wire = BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(ellipse));
  return BRepPrimAPI_MakePrism(BRepBuilderAPI_MakeFace(wire), gp_Vec(0, 0, 2)).Shape();
}

// A Bezier patch swept along Z: freeform faces, which find their vertices' parameters in a table.
TopoDS_Shape bezier_slab() {
  TColgp_Array2OfPnt poles(1, 3, 1, 3);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) poles(i, j) = gp_Pnt(i, j, 0.4 * ((i + j) % 2) + 0.1 * i * j);
  }
  const TopoDS_Face patch = BRepBuilderAPI_MakeFace(new Geom_BezierSurface(poles), 1e-7);
  return BRepPrimAPI_MakePrism(patch, gp_Vec(0, 0, 2)).Shape();
}

void expect_near(const position& a, const position& b, double tolerance = 1e-7) {
  EXPECT_LE(TPK::distance(a, b), tolerance)
      << "(" << a.x << ", " << a.y << ", " << a.z << ") against (" << b.x << ", " << b.y << ", "
      << b.z << ")";
}

void expect_near(const vector3& a, const vector3& b) {
  EXPECT_LE(TPK::length(a - b), 1e-7);
}

const TPK::transf& motion() {
  static const TPK::transf t =
      TPK::transf::rotate({1, -2, 0.5}, {1, 2, 2}, 0.7).after(TPK::transf::translate({3, -1, 4}));
  return t;
}

void check_surface_at(const surface& s, const position& on) {
  par_pos uv;
  ASSERT_TRUE(s.param(on, uv, nullptr));
  expect_near(s.eval(uv), on);
  par_pos again;
  ASSERT_TRUE(s.param(on, again, &uv));
  expect_near(s.eval(again), on);
  // The normal is a unit vector across the surface's directions at that point.
  const vector3 n = s.normal(uv);
  EXPECT_NEAR(TPK::length(n), 1, 1e-9);
  const double h = 1e-5;
  for (const vector3& d : {s.eval({uv.u + h, uv.v}) - s.eval({uv.u - h, uv.v}),
                           s.eval({uv.u, uv.v + h}) - s.eval({uv.u, uv.v - h})}) {
    EXPECT_LE(std::abs(TPK::dot(n, d)), 1e-6 * (TPK::length(d) + h));
  }
  // The normal is continuous, at a pole too, where it is the limit of its neighbours' (the
  // sphere's poles are its only ones here, at v = +-pi/2: their neighbours lie towards v = 0).
  EXPECT_GT(TPK::dot(n, s.normal({uv.u, uv.v - std::copysign(1e-4, uv.v)})), 0.999);
  if (s.periodic_u()) expect_near(s.eval({uv.u + 2 * pi, uv.v}), on);
  if (s.periodic_v()) expect_near(s.eval({uv.u, uv.v + 2 * pi}), on);
  std::unique_ptr<surface> moved(s.copy());
  moved->transform(motion());
  expect_near(moved->eval(uv), motion().apply(on));
  expect_near(moved->normal(uv), motion().apply(n));
}

void check_curve(const EDGE* edge) {
  const curve& c = *edge->geometry();
  const double t = 0.5 * (edge->t_start() + edge->t_end());
  const position p = c.eval(t);
  double back = 0;
  ASSERT_TRUE(c.param(p, back));
  expect_near(c.eval(back), p);
  const vector3 tangent = c.tangent(t);
  EXPECT_NEAR(TPK::length(tangent), 1, 1e-9);
  const vector3 chord = c.eval(t + 1e-5) - c.eval(t - 1e-5);
  EXPECT_NEAR(TPK::dot(tangent, chord), TPK::length(chord), 1e-9);
  if (c.periodic()) expect_near(c.eval(t + 2 * pi), p);
  std::unique_ptr<curve> moved(c.copy());
  moved->transform(motion());
  for (const double at : {edge->t_start(), t, edge->t_end()}) {
    expect_near(moved->eval(at), motion().apply(c.eval(at)));
  }
  expect_near(moved->tangent(t), motion().apply(tangent));
  // A point off the curve has no parameter.
  EXPECT_FALSE(c.param(p + vector3{0.1, 0.1, 0.1}, back));
}

TEST(ShapeGeometry, FacesAndEdgesOfElementaryAndSweptSolidsKeepTheirGeometry) {
  occt_stream scratch;
  const TopoDS_Shape shapes[] = {
      box(0, 0, 0, 2, 3, 4),
      cylinder(1, 1, 0, 2, 3),
      BRepPrimAPI_MakeCone(2, 1, 3).Shape(),
      BRepPrimAPI_MakeSphere(gp_Pnt(1, 2, 3), 2).Shape(),
      BRepPrimAPI_MakeTorus(3, 1).Shape(),
      elliptic_prism(),
      bezier_slab(),
  };
  for (const TopoDS_Shape& shape : shapes) {
    BODY* body = body_of(shape);
    ASSERT_NE(body, nullptr);
    for (EDGE* edge : body->edges()) {
      SCOPED_TRACE(edge->geometry()->type_name());
      check_curve(edge);
      const position middle = edge->geometry()->eval(0.5 * (edge->t_start() + edge->t_end()));
      for (FACE* face : test_support::faces_of(TPK::as_entity(edge))) {
        check_surface_at(*face->geometry(), middle);
      }
    }
    for (VERTEX* vertex : body->vertices()) {
      for (FACE* face : test_support::faces_of(TPK::as_entity(vertex))) {
        check_surface_at(*face->geometry(), vertex->point());
      }
    }
  }
}

TEST(ShapeGeometry, PeriodsAndSameSurfacesFollowTheGeometry) {
  occt_stream scratch;
  BODY* drum = body_of(cylinder(0, 0, 0, 1, 2));
  FACE* side = face_at(drum, {0, 1, 1});
  ASSERT_NE(side, nullptr);
  EXPECT_TRUE(side->geometry()->periodic_u());
  EXPECT_FALSE(side->geometry()->periodic_v());
  EXPECT_TRUE(edge_at(drum, {0, 1, 2})->geometry()->periodic());  // the top circle
  // Seams close across u, along the frame's X direction; a torus's second one across v.
  EXPECT_EQ(TPI_OCCT::seam_parameter(edge_at(drum, {1, 0, 1})), 'u');
  EXPECT_EQ(TPI_OCCT::seam_parameter(edge_at(drum, {0, 1, 2})), 0);
  BODY* ring = body_of(BRepPrimAPI_MakeTorus(3, 1).Shape());
  EXPECT_EQ(TPI_OCCT::seam_parameter(edge_at(ring, {3, 0, 1})), 'u');  // the tube's circle at X
  EXPECT_EQ(TPI_OCCT::seam_parameter(edge_at(ring, {0, 4, 0})), 'v');  // the outer equator

  BODY* block = body_of(box(0, 0, 0, 1, 1, 1));
  FACE* top = face_at(block, {0.5, 0.5, 1});
  FACE* bottom = face_at(block, {0.5, 0.5, 0});
  EXPECT_TRUE(top->geometry()->planar());
  EXPECT_FALSE(top->geometry()->periodic_u() || top->geometry()->periodic_v());
  EXPECT_FALSE(edge_at(block, {0.5, 0, 0})->geometry()->periodic());
  const auto& top_surface = static_cast<const TPK::outside_surface&>(*top->geometry());
  EXPECT_TRUE(top_surface.same_surface(*top->geometry()));
  EXPECT_FALSE(top_surface.same_surface(*bottom->geometry()));
  EXPECT_FALSE(top_surface.same_surface(*side->geometry()));
  // The same plane, whatever the surface's origin in it; not once moved off it.
  std::unique_ptr<surface> slid(top->geometry()->copy());
  slid->transform(TPK::transf::translate({5, -2, 0}));
  EXPECT_TRUE(top_surface.same_surface(*slid));
  slid->transform(TPK::transf::translate({0, 0, 0.5}));
  EXPECT_FALSE(top_surface.same_surface(*slid));
}

}  // namespace
