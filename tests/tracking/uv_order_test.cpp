// Uv order data on faces the kernel builds.
#include <gtest/gtest.h>

#include "support/models.h"
#include "support/recipes.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::uv_order_data;

namespace {

TEST(UvOrder, FourSidedCurvedFaceRanksItsCornersByParameter) {
  // A unit-high cylinder; the side split by the ruling at u = 1 rad leaves a face whose vertices,
  // in kernel order, sit at (u, v) = (0, 0), (1, 0), (1, 1), (0, 1).
  body_ptr c = cylinder(1, 1);
  VERTEX *q = nullptr, *r = nullptr;
  EDGE *unused = nullptr, *ruling = nullptr;
  FACE* rest = nullptr;
  ASSERT_TRUE(
      TPI_MODEL::split_edge(c->edges()[0], {std::cos(1.0), std::sin(1.0), 0}, q, unused).ok());
  ASSERT_TRUE(
      TPI_MODEL::split_edge(c->edges()[1], {std::cos(1.0), std::sin(1.0), 1}, r, unused).ok());
  ASSERT_TRUE(TPI_MODEL::split_face(c->faces()[2], q, r, ruling, rest).ok());
  FACE* face = c->faces()[2];
  const std::vector<VERTEX*> corners = vertices_of(face);
  ASSERT_EQ(corners.size(), 4u);
  EXPECT_EQ(corners[1], q);
  EXPECT_EQ(corners[2], r);
  EXPECT_EQ(fields_of(uv_order_data(corners[0], face)), (std::vector<int>{4, 1, 1, 2, 1, 1, 2}));
  EXPECT_EQ(fields_of(uv_order_data(corners[1], face)), (std::vector<int>{4, 3, 3, 4, 2, 1, 2}));
  EXPECT_EQ(fields_of(uv_order_data(corners[2], face)), (std::vector<int>{4, 4, 3, 4, 3, 3, 4}));
  EXPECT_EQ(fields_of(uv_order_data(corners[3], face)), (std::vector<int>{4, 2, 1, 2, 4, 3, 4}));
}

TEST(UvOrder, SingleVertexFacesAndVerticesElsewhere) {
  body_ptr c = cylinder();
  EXPECT_EQ(fields_of(uv_order_data(c->vertices()[0], c->faces()[0])),
            (std::vector<int>{1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(fields_of(uv_order_data(c->vertices()[1], c->faces()[0])),
            (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(fields_of(uv_order_data(nullptr, c->faces()[0])),
            (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));
}

TEST(UvOrder, NearlyEqualParametersShareAGroupButRankByExactValue) {
  // A planar quad whose second and third corners differ in x by less than the resolution.
  const double d = 1e-8;
  body_ptr sheet = polyhedron({{0, 0, 0}, {1 + d, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
  FACE* face = sheet->faces()[0];
  const std::vector<VERTEX*> corners = vertices_of(face);
  const uv_order_data second(corners[1], face), third(corners[2], face);
  EXPECT_EQ(second.m_u_first, third.m_u_first);
  EXPECT_EQ(second.m_u_last, third.m_u_last);
  EXPECT_EQ(second.m_u_last - second.m_u_first, 1);
  EXPECT_EQ(second.m_u_rank, third.m_u_rank + 1);  // the larger exact u ranks later
}

}  // namespace
