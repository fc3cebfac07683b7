// Faces around a vertex: fan contents, order, starting face, kind and determinism.
#include <gtest/gtest.h>

#include "support/models.h"

using namespace test_support;
using fans = std::vector<std::vector<std::size_t>>;

namespace {

// The kinds of the fans at a vertex, "closed" or "open", in fan order.
std::vector<std::string> kinds_at(VERTEX* vertex) {
  TPI_ORDERED_FACES_ON_VERTEX ordered(vertex);
  EXPECT_TRUE(ordered.compute().ok());
  std::vector<std::string> kinds;
  fan_type type = fan_type_open;
  TPK::tpk_array<FACE*> faces;
  for (std::uint64_t i = 0; ordered.get_fan(i, type, faces).ok(); ++i) {
    kinds.push_back(type == fan_type_closed ? "closed" : "open");
  }
  EXPECT_EQ(kinds.size(), ordered.get_num_fans());
  return kinds;
}

TEST(Fans, EachFanStartsAtTheFirstFaceAndSeamFacesAppearOncePerCorner) {
  body_ptr b = block(), c = cylinder(), pointed = cone(1, 0, 1), s = sphere(), t = torus();
  body_ptr sheet = grid_sheet(2, 2);  // faces 0 1 / 2 3
  const struct {
    VERTEX* vertex;
    fans expected;
    std::vector<std::string> kinds;
  } cases[] = {
      // Bottom (0), left (5), front (2): clockwise seen from outside, from the face made first.
      {vertex_at(b.get(), {0, 0, 0}), {{0, 5, 2}}, {"closed"}},
      // A cap, then the side twice: once on each side of the seam.
      {c->vertices()[0], {{0, 2, 2}}, {"closed"}},
      {c->vertices()[1], {{1, 2, 2}}, {"closed"}},
      {pointed->vertices()[1], {{1}}, {"closed"}},  // the apex
      {s->vertices()[0], {{0}}, {"closed"}},
      {t->vertices()[0], {{0, 0, 0, 0}}, {"closed"}},
      // Sheet vertices on the boundary have open fans starting at the boundary.
      {vertex_at(sheet.get(), {0, 0, 0}), {{0}}, {"open"}},
      {vertex_at(sheet.get(), {1, 0, 0}), {{0, 1}}, {"open"}},
      {vertex_at(sheet.get(), {2, 1, 0}), {{1, 3}}, {"open"}},
      {vertex_at(sheet.get(), {1, 1, 0}), {{0, 2, 3, 1}}, {"closed"}},
  };
  for (const auto& e : cases) {
    EXPECT_EQ(fans_at(e.vertex), e.expected);
    EXPECT_EQ(kinds_at(e.vertex), e.kinds);
  }
  // get_faces on a vertex lists each face once.
  EXPECT_EQ(faces_of(c->vertices()[0]).size(), 2u);
  TPI_ORDERED_FACES_ON_VERTEX none(nullptr);
  EXPECT_FALSE(none.compute().ok());
  EXPECT_EQ(none.get_num_fans(), 0u);
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

}  // namespace
