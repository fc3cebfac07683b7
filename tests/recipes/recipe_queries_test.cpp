// Classification, operation ids and id rewriting over whole recipe trees.
#include <gtest/gtest.h>

#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

std::vector<int> ids_of(IRecipe* recipe) {
  TPK::tpk_array<int> ids;
  ids.push_back(42);
  EXPECT_TRUE(get_operation_ids_from_recipe(recipe, ids));
  return std::vector<int>(ids.begin(), ids.end());
}

TEST(RecipeQueries, OperationIdsOfTheWholeTreeOnceAscending) {
  const VERTEX_RECIPE v(tags_from(""), {FACE_RECIPE(tags_from("q[9]"))}, {});
  EDGE_RECIPE e(tags_from("e[7,3]"),
                {FACE_RECIPE(tags_from("a[3,9]")), FACE_RECIPE(tags_from("b[1]"))}, {v});
  EXPECT_EQ(ids_of(&e), (std::vector<int>{1, 3, 7, 9}));
  FACE_RECIPE negative(tags_from("n[4,-2]"));
  EXPECT_EQ(ids_of(&negative), (std::vector<int>{-2, 4}));
  EDGE_RECIPE none;
  EXPECT_TRUE(ids_of(&none).empty());
  TPK::tpk_array<int> untouched;
  untouched.push_back(1);
  EXPECT_FALSE(get_operation_ids_from_recipe(nullptr, untouched));
  EXPECT_EQ(untouched.size(), 1u);
  // Directly: a face recipe replaces the array, edge and vertex recipes append to it.
  TPK::tpk_array<int> raw;
  raw.push_back(100);
  negative.get_operation_ids(raw);
  EXPECT_EQ(std::vector<int>(raw.begin(), raw.end()), (std::vector<int>{4, -2}));
  raw.clear();
  raw.push_back(100);
  e.get_operation_ids(raw);
  EXPECT_EQ(std::vector<int>(raw.begin(), raw.end()), (std::vector<int>{100, 7, 3, 3, 9, 1, 9}));
}

TEST(RecipeQueries, IdUpdatesReachEveryLevelAndOnlyWholeIds) {
  const FACE_RECIPE f(tags_from("ab[5,7,5] abc a"));
  const VERTEX_RECIPE v(tags_from("ab"), {f}, {});
  EDGE_RECIPE e(tags_from("ab"), {f}, {v});
  e.set_version(2);
  update_primary_id(&e, "ab", "cd");
  update_operation_id(&e, 5, 7);
  EXPECT_EQ(describe(*e.get_tags()), "cd/0[]");
  EXPECT_EQ(describe((*e.get_face_recipes())[0].tags()), "cd/0[7,7,7] abc/0[] a/0[]");
  const VERTEX_RECIPE& nested = (*e.get_vertex_recipes())[0];
  EXPECT_EQ(describe(*nested.get_tags()), "cd/0[]");
  EXPECT_EQ(describe((*nested.get_face_recipes())[0].tags()), "cd/0[7,7,7] abc/0[] a/0[]");
  EXPECT_EQ(e.get_version(), 2);
  update_operation_id(&e, 7, 7);
  EXPECT_EQ(describe((*e.get_face_recipes())[0].tags()), "cd/0[7,7,7] abc/0[] a/0[]");
  FACE_RECIPE empty_id(tags_from("x"));
  empty_id.replace_primary_id(TPK::tpk_array<char>(), id("named"));
  EXPECT_EQ(describe(empty_id.tags()), "x/0[]");
}

}  // namespace
