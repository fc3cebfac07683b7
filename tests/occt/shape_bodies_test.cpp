// Shapes imported as bodies: the kernel's topology is the shape's, entity for sub-shape, and
// valid.
#include <gtest/gtest.h>

#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRep_Tool.hxx>
#include <TopoDS.hxx>

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
    EXPECT_EQ(static_cast<int>(body->faces().size()), count(shape, TopAbs_FACE));
    // Degenerate edges (the sphere's poles) are no kernel edges: the loop turns at their vertex.
    TopTools_IndexedMapOfShape all_edges;
    TopExp::MapShapes(shape, TopAbs_EDGE, all_edges);
    int degenerate = 0;
    for (int i = 1; i <= all_edges.Extent(); ++i) {
      degenerate += BRep_Tool::Degenerated(TopoDS::Edge(all_edges(i))) ? 1 : 0;
    }
    EXPECT_EQ(static_cast<int>(body->edges().size()), all_edges.Extent() - degenerate);
    EXPECT_EQ(static_cast<int>(body->vertices().size()), count(shape, TopAbs_VERTEX));
    const outcome valid = TPI_CHECK::check_body(body);
    EXPECT_TRUE(valid.ok()) << valid.message();

    // Entity to sub-shape and back, in MapShapes order.
    EXPECT_TRUE(TPI_OCCT::shape_of(body).IsSame(shape));
    TopTools_IndexedMapOfShape faces, edges, vertices;
    TopExp::MapShapes(shape, TopAbs_FACE, faces);
    TopExp::MapShapes(shape, TopAbs_EDGE, edges);
    TopExp::MapShapes(shape, TopAbs_VERTEX, vertices);
    const TPI_OCCT::shape_entities entities(body);
    for (int i = 1; i <= faces.Extent(); ++i) {
      FACE* face = body->faces()[static_cast<std::size_t>(i - 1)];
      EXPECT_TRUE(TPI_OCCT::face_shape(face).IsEqual(faces(i)));
      EXPECT_EQ(entities.face(faces(i)), face);
    }
    for (int i = 1, k = 0; i <= edges.Extent(); ++i) {
      if (BRep_Tool::Degenerated(TopoDS::Edge(edges(i)))) {
        EXPECT_EQ(entities.edge(edges(i)), nullptr);
        continue;
      }
      EDGE* edge = body->edges()[static_cast<std::size_t>(k++)];
      EXPECT_TRUE(TPI_OCCT::edge_shape(edge).IsSame(edges(i)));
      EXPECT_EQ(entities.edge(edges(i)), edge);
    }
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

}  // namespace
