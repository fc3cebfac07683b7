// Recipe values: construction, deep copies, the face-recipe ordering and trackers by kind.
#include <memory>

#include <gtest/gtest.h>

#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

EDGE_RECIPE sample_edge() {
  const FACE_RECIPE f1(tags_from("ab/0[5]")), f2(tags_from("cd[1,2]"));
  VERTEX_RECIPE::uv_orders uv;
  uv[9].m_num_vertices = 4;  // a key that names no face position is kept
  const VERTEX_RECIPE v(tags_from("v"), {f1, f2}, uv);
  return EDGE_RECIPE(tags_from("e"), {f1, f2}, {v, v});
}

TEST(RecipeModel, DefaultsAndNames) {
  FACE_RECIPE f;
  EDGE_RECIPE e;
  VERTEX_RECIPE v;
  EXPECT_EQ(f.get_version(), 3);
  EXPECT_EQ(e.get_version(), 3);
  EXPECT_EQ(v.get_version(), 3);
  EXPECT_EQ(f.get_tags().size(), 0u);
  EXPECT_TRUE(e.get_face_recipes()->empty() && e.get_vertex_recipes()->empty());
  EXPECT_TRUE(v.get_face_recipes()->empty() && v.get_uv_orders()->empty());
  EXPECT_STREQ(f.type_name(), "face_recipe");
  EXPECT_STREQ(e.type_name(), "edge_recipe");
  EXPECT_STREQ(v.type_name(), "vertex_recipe");
}

TEST(RecipeModel, CopiesAreDeepAndKeepTheVersion) {
  EDGE_RECIPE original = sample_edge();
  original.set_version(2);
  EDGE_RECIPE copy(original);
  EXPECT_EQ(copy.get_version(), 2);
  update_primary_id(&copy, "ab", "zz");
  update_operation_id(&copy, 5, 6);
  EXPECT_EQ(describe((*original.get_face_recipes())[0].tags()), "ab/0[5]");
  EXPECT_EQ(describe((*(*original.get_vertex_recipes())[1].get_face_recipes())[0].tags()),
            "ab/0[5]");
  EXPECT_EQ(describe((*(*copy.get_vertex_recipes())[1].get_face_recipes())[0].tags()), "zz/0[6]");
  EXPECT_EQ((*original.get_vertex_recipes())[0].get_uv_orders()->count(9), 1u);
  EDGE_RECIPE assigned;
  assigned = copy;
  EXPECT_EQ(describe((*assigned.get_face_recipes())[0].tags()), "zz/0[6]");
}

TEST(RecipeModel, FaceRecipesOrderByTheirTagLists) {
  const FACE_RECIPE one(tags_from("ZZZ")), two(tags_from("A B")), same(tags_from("ZZZ"));
  EXPECT_TRUE(one < two);  // fewer tags first, whatever they hold
  EXPECT_FALSE(two < one);
  EXPECT_FALSE(one < same);
  EXPECT_FALSE(same < one);
}

TEST(RecipeModel, EachRecipeMakesNewTrackersOfItsKind) {
  FACE_RECIPE f;
  EDGE_RECIPE e;
  VERTEX_RECIPE v;
  std::unique_ptr<ITracker> t1(f.create_tracker()), t2(f.create_tracker());
  EXPECT_NE(t1.get(), t2.get());
  EXPECT_NE(dynamic_cast<FACE_TRACKER*>(t1.get()), nullptr);
  EXPECT_NE(dynamic_cast<EDGE_TRACKER*>(std::unique_ptr<ITracker>(e.create_tracker()).get()),
            nullptr);
  EXPECT_NE(dynamic_cast<VERTEX_TRACKER*>(std::unique_ptr<ITracker>(v.create_tracker()).get()),
            nullptr);
}

}  // namespace
