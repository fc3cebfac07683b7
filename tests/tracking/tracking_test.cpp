// Face, edge and vertex recipes made from models the kernel builds, and the uv order data of
// their vertices.
#include <memory>

#include <gtest/gtest.h>

#include <tagtrack/tracking/internal/entity_lookup.h>

#include "support/models.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;
using strings = std::vector<std::string>;
using TPI_TAGGING_TRACKING::uv_order_data;

namespace {

using Tracking = tag_test;

strings face_tags(const std::vector<FACE_RECIPE>& faces) {
  strings out;
  for (const FACE_RECIPE& f : faces) out.push_back(describe(f.tags()));
  return out;
}

const VERTEX_RECIPE& as_vertex(const std::unique_ptr<IRecipe>& r) {
  return *static_cast<const VERTEX_RECIPE*>(r.get());
}

// The tags of the face recipes in the recipe of `vertex`, in recipe order.
strings faces_around(VERTEX* vertex) {
  return face_tags(*as_vertex(recipe_of(VERTEX_TRACKABLE(vertex))).get_face_recipes());
}

TEST_F(Tracking, TagLookupTakesTheFirstTagAttributeAndCollectsInKernelOrder) {
  body_ptr b = block();
  EXPECT_EQ(find_entity_tag_info(b->faces()[0]), nullptr);
  EXPECT_EQ(find_entity_tag_info(nullptr), nullptr);
  tag(b->faces()[0], "FIRST");
  tag(b->faces()[0], "SECOND");
  EXPECT_EQ(describe(*find_entity_tag_info(b->faces()[0])), "FIRST/0[]");
  set_tags(b->faces()[1], "");
  ASSERT_NE(find_entity_tag_info(b->faces()[1]), nullptr);  // tagged, with no tags
  EXPECT_EQ(find_entity_tag_info(b->faces()[1])->size(), 0u);
  std::vector<FACE*> faces;
  collect_faces(b->edges()[0], faces);
  collect_faces(b->edges()[0], faces);
  EXPECT_EQ(faces.size(), 4u);
  EXPECT_EQ(faces[0], faces[2]);
}

TEST_F(Tracking, FaceRecipesCopyTheTagsOrGiveNull) {
  body_ptr b = block();
  set_tags(b->faces()[0], "A B");
  std::unique_ptr<IRecipe> r = recipe_of(FACE_TRACKABLE(b->faces()[0]));
  ASSERT_TRUE(is_face_recipe(r.get()));
  EXPECT_EQ(describe(static_cast<FACE_RECIPE*>(r.get())->tags()), "A/0[] B/0[]");
  FACE_RECIPE stale;
  IRecipe* recipe = &stale;
  FACE_TRACKABLE(b->faces()[1]).MakeRecipe(TRACK_CONTEXT(), recipe);  // untagged
  EXPECT_EQ(recipe, nullptr);
  recipe = &stale;
  FACE_TRACKABLE().MakeRecipe(TRACK_CONTEXT(), recipe);
  EXPECT_EQ(recipe, nullptr);
  // Edge and vertex trackers leave the pointer alone when there is nothing to track.
  recipe = &stale;
  EDGE_TRACKABLE().MakeRecipe(TRACK_CONTEXT(), recipe);
  VERTEX_TRACKABLE().MakeRecipe(TRACK_CONTEXT(), recipe);
  EXPECT_EQ(recipe, &stale);
}

// The faces of a vertex recipe start at the greatest tagged face (the first of equal ones), run
// in fan order with fans concatenated, and leave out untagged faces; planar faces give no uv data.
TEST_F(Tracking, VertexRecipesStartAtTheGreatestFaceAndRunInFanOrder) {
  body_ptr b = block();
  // Around the origin: bottom (0), left (5), front (2).
  tag(b->faces()[0], "B");
  tag(b->faces()[5], "C");
  tag(b->faces()[2], "A");
  const std::unique_ptr<IRecipe> r = recipe_of(VERTEX_TRACKABLE(vertex_at(b.get(), {0, 0, 0})));
  EXPECT_EQ(text_of(r.get()), "V 3 0 3 F 3 1  1 C 0 0 F 3 1  1 A 0 0 F 3 1  1 B 0 0 0");

  // A sheet vertex with four faces around it in fan order 0, 2, 3, 1 (see the fan tests).
  body_ptr sheet = grid_sheet(2, 2);
  tag(sheet->faces()[0], "A");
  tag(sheet->faces()[2], "C");
  tag(sheet->faces()[3], "B");
  tag(sheet->faces()[1], "C");
  EXPECT_EQ(faces_around(vertex_at(sheet.get(), {1, 1, 0})),
            (strings{"C/0[]", "B/0[]", "C/0[]", "A/0[]"}));
  // Two tags beat one, whatever they hold; an untagged face drops out.
  set_tags(sheet->faces()[0], "A A");
  TPI_MODEL::delete_attrib(tag_attrib_of(sheet->faces()[3]));
  EXPECT_EQ(faces_around(vertex_at(sheet.get(), {1, 1, 0})),
            (strings{"A/0[] A/0[]", "C/0[]", "C/0[]"}));

  // Two triangles touching at the origin: two open fans, faces 0 then 1, rotated as one.
  body_ptr bow = polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {-1, 0, 0}, {-1, -1, 0}},
                            {{0, 1, 2}, {0, 3, 4}});
  tag(bow->faces()[0], "A");
  tag(bow->faces()[1], "B");
  EXPECT_EQ(faces_around(bow->vertices()[0]), (strings{"B/0[]", "A/0[]"}));
}

TEST_F(Tracking, CurvedFacesGetUvDataKeyedByTheirRotatedPosition) {
  body_ptr c = cylinder(1, 2);
  tag(c->faces()[0], "BOT");
  tag(c->faces()[2], "SIDE");
  // Fan at the bottom seam vertex: cap, side, side; the side's tags are greater.
  std::unique_ptr<IRecipe> r = recipe_of(VERTEX_TRACKABLE(c->vertices()[0]));
  const VERTEX_RECIPE& v = as_vertex(r);
  EXPECT_EQ(face_tags(*v.get_face_recipes()), (strings{"SIDE/0[]", "SIDE/0[]", "BOT/0[]"}));
  ASSERT_EQ(v.get_uv_orders()->size(), 2u);
  EXPECT_EQ(v.get_uv_orders()->count(0), 1u);
  EXPECT_EQ(v.get_uv_orders()->count(1), 1u);
  EXPECT_EQ(v.get_uv_orders()->at(0).m_num_vertices, 2);
}

TEST_F(Tracking, EdgeRecipesHoldTaggedFacesAndEveryVertexRecipe) {
  body_ptr b = block();
  EDGE* edge = b->edges()[0];  // between the bottom and the left face
  const std::vector<FACE*> faces = faces_of(edge);
  tag(faces[0], "A");
  tag(b->faces()[1], "TOP");
  std::unique_ptr<IRecipe> r = recipe_of(EDGE_TRACKABLE(edge));
  ASSERT_TRUE(is_edge_recipe(r.get()));
  const auto& e = *static_cast<const EDGE_RECIPE*>(r.get());
  EXPECT_EQ(e.get_tags()->size(), 0u);
  EXPECT_EQ(face_tags(*e.get_face_recipes()), strings{"A/0[]"});  // the untagged face drops out
  ASSERT_EQ(e.get_vertex_recipes()->size(), 2u);
  const std::vector<VERTEX*> ends = vertices_of(edge);
  for (std::size_t i = 0; i < 2; ++i) {
    VERTEX_RECIPE nested = (*e.get_vertex_recipes())[i];
    EXPECT_EQ(text_of(&nested), text_of(recipe_of(VERTEX_TRACKABLE(ends[i])).get()));
  }
  // Recipes do not follow later changes of the model.
  const std::string before = text_of(r.get());
  TPI_TAGGING_TRACKING::update_primary_Id_for_attrib(tag_attrib_of(faces[0]), id("Z"));
  TPI_MODEL::delete_body(b.release());
  EXPECT_EQ(text_of(r.get()), before);
}

// Uv order data on faces the kernel builds.
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
