// Faces around a vertex: fan contents, order, starting face and determinism.
#include <gtest/gtest.h>

#include "support/models.h"

using namespace test_support;
using fans = std::vector<std::vector<std::size_t>>;

namespace {

TEST(Fans, BlockCornerHasOneClosedFanOfThreeStartingAtTheFirstFace) {
  body_ptr b = block();
  // Bottom (0), left (5), front (2): clockwise seen from outside, from the face made first.
  EXPECT_EQ(fans_at(vertex_at(b.get(), {0, 0, 0})), (fans{{0, 5, 2}}));
  TPI_ORDERED_FACES_ON_VERTEX ordered(b->vertices()[0]);
  ASSERT_TRUE(ordered.compute().ok());
  fan_type type = fan_type_open;
  TPK::tpk_array<FACE*> faces;
  ASSERT_TRUE(ordered.get_fan(0, type, faces).ok());
  EXPECT_EQ(type, fan_type_closed);
  EXPECT_FALSE(ordered.get_fan(1, type, faces).ok());
}

TEST(Fans, SeamFacesAppearOncePerCorner) {
  body_ptr c = cylinder();
  // Bottom cap (0) then the side (2) twice: once on each side of the seam.
  EXPECT_EQ(fans_at(c->vertices()[0]), (fans{{0, 2, 2}}));
  EXPECT_EQ(fans_at(c->vertices()[1]), (fans{{1, 2, 2}}));
  body_ptr pointed = cone(1, 0, 1);
  EXPECT_EQ(fans_at(pointed->vertices()[1]), (fans{{1}}));  // the apex
  body_ptr s = sphere();
  EXPECT_EQ(fans_at(s->vertices()[0]), (fans{{0}}));
  body_ptr t = torus();
  EXPECT_EQ(fans_at(t->vertices()[0]), (fans{{0, 0, 0, 0}}));
  // get_faces on a vertex lists each face once.
  EXPECT_EQ(faces_of(c->vertices()[0]).size(), 2u);
}

TEST(Fans, SheetBoundaryVerticesHaveOpenFansStartingAtTheBoundary) {
  body_ptr sheet = grid_sheet(2, 2);  // faces 0 1 / 2 3
  BODY* b = sheet.get();
  EXPECT_EQ(fans_at(vertex_at(b, {0, 0, 0})), (fans{{0}}));
  EXPECT_EQ(fans_at(vertex_at(b, {1, 0, 0})), (fans{{0, 1}}));
  EXPECT_EQ(fans_at(vertex_at(b, {2, 1, 0})), (fans{{1, 3}}));
  EXPECT_EQ(fans_at(vertex_at(b, {1, 1, 0})), (fans{{0, 2, 3, 1}}));  // interior: closed
  TPI_ORDERED_FACES_ON_VERTEX ordered(vertex_at(b, {1, 0, 0}));
  ordered.compute();
  fan_type type = fan_type_closed;
  TPK::tpk_array<FACE*> faces;
  ordered.get_fan(0, type, faces);
  EXPECT_EQ(type, fan_type_open);
}

TEST(Fans, FacesMeetingOnlyAtTheVertexFormSeparateFans) {
  // Two triangles of a sheet touching at the origin, and two tetrahedra of one solid likewise.
  body_ptr bow = polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {-1, 0, 0}, {-1, -1, 0}},
                            {{0, 1, 2}, {0, 3, 4}});
  EXPECT_EQ(fans_at(bow->vertices()[0]), (fans{{0}, {1}}));
  body_ptr pair = polyhedron(
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}},
      {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}, {0, 4, 5}, {0, 6, 4}, {0, 5, 6}, {4, 6, 5}});
  EXPECT_VALID(pair.get());
  const fans at_origin = fans_at(pair->vertices()[0]);
  ASSERT_EQ(at_origin.size(), 2u);
  EXPECT_EQ(at_origin[0].size(), 3u);
  EXPECT_EQ(at_origin[0][0], 0u);  // the fan of the face made first comes first, starting there
  EXPECT_EQ(at_origin[1].size(), 3u);
  EXPECT_EQ(at_origin[1][0], 4u);
}

TEST(Fans, NullVertexHasNoFans) {
  TPI_ORDERED_FACES_ON_VERTEX ordered(nullptr);
  EXPECT_FALSE(ordered.compute().ok());
  EXPECT_EQ(ordered.get_num_fans(), 0u);
}

}  // namespace
