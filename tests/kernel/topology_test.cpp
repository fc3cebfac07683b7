// Construction, validity and the topology queries; faces around a vertex: fan contents, order,
// starting face and kind; and the kernel array and heap.
#include <functional>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/failure_points.h"
#include "support/models.h"

using namespace test_support;
using fans = std::vector<std::vector<std::size_t>>;

namespace {

TEST(Construction, PrimitivesAreValidWithTheirDocumentedTopologyAndBadArgumentsBuildNothing) {
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

  // Bad arguments fail and build nothing.
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

// Faces around a vertex: fan contents, order, starting face, kind and determinism.
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

TEST(Fans, StartAtTheFirstFaceHoldSeamFacesOncePerCornerAndSplitWhereFacesOnlyTouch) {
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

  // Faces meeting only at the vertex form separate fans. Two triangles of a sheet touching at the
  // origin, and two tetrahedra of one solid likewise.
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

// The kernel array and heap: layout promises, growth, copies, and the counts tests rely on.
TEST(TpkArray, LayoutGrowthCopiesAndAFailedGrowth) {
  static_assert(sizeof(TPK::tpk_array<int>) == 2 * sizeof(int*), "two pointers, nothing else");
  const auto no_blocks = TPK::get_heap_counts().live_blocks;
  TPK::tpk_array<int> a;
  EXPECT_EQ(a.begin(), nullptr);
  EXPECT_EQ(a.end(), nullptr);
  a.push_back(1);
  a.resize(0);
  EXPECT_EQ(a.begin(), nullptr);
  EXPECT_EQ(a.end(), nullptr);
  a.push_back(2);
  a.pop_back();
  EXPECT_EQ(a.begin(), nullptr);
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, no_blocks);

  // Growth, resizing and copies keep the elements in order.
  for (int i = 0; i < 1000; ++i) a.push_back(i);
  ASSERT_EQ(a.size(), 1000u);
  a.resize(1500);
  EXPECT_EQ(a[999], 999);
  EXPECT_EQ(a[1499], 0);  // new elements are value-initialised
  a.resize(10);
  TPK::tpk_array<int> copy(a);
  copy[0] = 42;
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(copy[9], 9);
  const int raw[] = {7, 8, 9};
  TPK::tpk_array<int> from_raw(raw, 3);
  a = from_raw;
  EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{7, 8, 9}));
  a = a;  // self-assignment keeps the contents
  EXPECT_EQ(a.size(), 3u);
  // Pushing an element of the array itself while it must grow.
  TPK::tpk_array<std::string> s;
  s.push_back("x");
  for (int i = 0; i < 20; ++i) s.push_back(s[0]);
  EXPECT_EQ(s[20], "x");

  // Arrays of arrays give back every block, also through copies and shrinking.
  const auto before = TPK::get_heap_counts();
  {
    TPK::tpk_array<TPK::tpk_array<char>> ids;
    for (int i = 0; i < 50; ++i) ids.push_back(TPK::tpk_array<char>("abcdef", 6));
    TPK::tpk_array<TPK::tpk_array<char>> copy = ids;
    copy.resize(3);
    EXPECT_EQ(copy[2].size(), 6u);
  }
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks);
  EXPECT_EQ(TPK::get_heap_counts().live_bytes, before.live_bytes);

  // An injected failure throws once and leaves the array as it was.
  TPK::tpk_array<int> full;
  for (int i = 0; i < 4; ++i) full.push_back(i);  // at capacity 4
  TPK::fail_heap_allocation_after(1);
  EXPECT_THROW(full.push_back(4), std::bad_alloc);
  EXPECT_EQ(full.size(), 4u);
  EXPECT_EQ(full[3], 3);
  full.push_back(4);  // the heap works again
  EXPECT_EQ(full.size(), 5u);
}

// Each allocation of a model's construction fails in turn: the build throws or fails, and the heap
// returns to where it was; so it does once the model built in the end is queried and deleted.
TEST(KernelHeap, FailedConstructionAndDeletedModelsLeakNothing) {
  test_support::scratch_stream stream;
  const auto before = TPK::get_heap_counts();
  const std::function<outcome(BODY*&)> builders[] = {
      [](BODY*& b) { return TPI_BUILD::make_block(1, 2, 3, b); },
      [](BODY*& b) { return TPI_BUILD::make_cylinder(1, 2, b); },
      [](BODY*& b) { return TPI_BUILD::make_cone(2, 1, 3, b); },
      [](BODY*& b) { return TPI_BUILD::make_cone(1, 0, 1, b); },
      [](BODY*& b) { return TPI_BUILD::make_sphere(1, b); },
      [](BODY*& b) { return TPI_BUILD::make_torus(3, 1, b); },
      [](BODY*& b) {
        return TPI_BUILD::make_polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}},
                                          {{0, 1, 2, 3}, {1, 4, 2}}, b);
      }};
  for (const auto& build : builders) {
    BODY* body = nullptr;
    test_support::at_every_failure_point(
        test_support::heap::kernel,
        [&] {
          if (!build(body).ok()) throw std::bad_alloc();  // a refusal counts as the failure
        },
        [&] {
          EXPECT_EQ(body, nullptr);
          ASSERT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks);
        });
    test_support::faces_of(body->vertices()[0]);
    TPI_MODEL::delete_body(body);
    stream->clear();
    EXPECT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks);
    EXPECT_EQ(TPK::get_heap_counts().live_bytes, before.live_bytes);
  }
}

}  // namespace
