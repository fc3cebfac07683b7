// Construction, validity and the topology queries.
#include <gtest/gtest.h>

#include "support/models.h"

using namespace test_support;

namespace {

TEST(Construction, PrimitivesAreValidWithTheirDocumentedTopology) {
  struct expected {
    const char* name;
    body_ptr body;
    std::vector<std::size_t> counts;  // vertices, edges, faces
  };
  expected cases[] = {
      {"block", block(1, 2, 3), {8, 12, 6}}, {"cylinder", cylinder(), {2, 3, 3}},
      {"frustum", cone(2, 1, 3), {2, 3, 3}}, {"pointed cone", cone(2, 0, 3), {2, 2, 2}},
      {"sphere", sphere(), {2, 1, 1}},       {"torus", torus(), {1, 2, 1}}};
  for (expected& e : cases) {
    SCOPED_TRACE(e.name);
    ASSERT_NE(e.body, nullptr);
    EXPECT_VALID(e.body.get());
    EXPECT_EQ(count_of(e.body.get()), e.counts);
  }
}

TEST(Construction, BadArgumentsFailAndBuildNothing) {
  scratch_stream stream;
  const auto before = TPK::get_heap_counts().live_blocks;
  BODY* body = nullptr;
  EXPECT_FALSE(TPI_BUILD::make_block(0, 1, 1, body).ok());
  EXPECT_FALSE(TPI_BUILD::make_cylinder(-1, 1, body).ok());
  EXPECT_FALSE(TPI_BUILD::make_cone(1, 1e-9, 1, body).ok());
  EXPECT_FALSE(TPI_BUILD::make_torus(1, 1, body).ok());
  EXPECT_FALSE(TPI_BUILD::make_sphere(std::nan(""), body).ok());
  const std::vector<TPK::position> square{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}};
  const char* expected_reasons[] = {"does not exist",     "fewer than three", "not planar",
                                    "uses a point twice", "same direction",   "two faces use"};
  const std::vector<std::vector<std::vector<int>>> bad_faces{{{0, 1, 7}},
                                                             {{0, 1}},
                                                             {{0, 1, 2, 4}},
                                                             {{0, 1, 2, 1}},
                                                             {{0, 1, 2}, {0, 1, 3}},
                                                             {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}}};
  for (std::size_t i = 0; i < bad_faces.size(); ++i) {
    const outcome r = TPI_BUILD::make_polyhedron(square, bad_faces[i], body);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.message().find(expected_reasons[i]), std::string::npos) << r.message();
  }
  EXPECT_EQ(body, nullptr);
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, before);
}

TEST(Queries, CylinderSeamAndCapsAnswerAsDocumented) {
  body_ptr c = cylinder(1, 2);
  FACE* bottom = c->faces()[0];
  FACE* side = c->faces()[2];
  EDGE* bottom_circle = c->edges()[0];
  EDGE* seam = c->edges()[2];
  // The seam is used twice by the side face; the cap circle by the cap and the side.
  EXPECT_EQ(faces_of(seam), (std::vector<FACE*>{side, side}));
  EXPECT_EQ(faces_of(bottom_circle), (std::vector<FACE*>{bottom, side}));
  EXPECT_EQ(vertices_of(bottom_circle).size(), 1u);
  EXPECT_EQ(vertices_of(seam).size(), 2u);
  EXPECT_EQ(vertices_of(bottom).size(), 1u);
  EXPECT_EQ(vertices_of(side).size(), 2u);
  EXPECT_EQ(edges_of(side).size(), 3u);  // the seam once
  EXPECT_TRUE(TPK::FACE_const_xs(bottom).is_planar());
  EXPECT_FALSE(TPK::FACE_const_xs(side).is_planar());
  // A query on an entity it is not defined on fails and leaves an empty list.
  TPK::tpk_array<FACE*> faces;
  faces.push_back(side);
  EXPECT_FALSE(TPI_QUERY::get_faces(side, faces).ok());
  EXPECT_TRUE(faces.empty());
  TPK::tpk_array<EDGE*> edges;
  EXPECT_FALSE(TPI_QUERY::get_edges(nullptr, edges).ok());
  // The block's first face is its bottom, whose loop starts at the origin.
  body_ptr b = block(1, 2, 3);
  EXPECT_EQ(indices_in(b.get(), vertices_of(b->faces()[0])),
            (std::vector<std::size_t>{0, 3, 2, 1}));
}

}  // namespace
