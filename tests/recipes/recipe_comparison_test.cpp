// Recipe sameness: tags as multisets seen from one side, edges as sets, vertices by position.
#include <memory>

#include <gtest/gtest.h>

#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

FACE_RECIPE face(const std::string& tags) {
  return FACE_RECIPE(tags_from(tags));
}

TEST(RecipeComparison, FaceTagsAreComparedWithoutOrderButNotSymmetrically) {
  const FACE_RECIPE xy = face("x y"), yx = face("y x"), xx = face("x x");
  EXPECT_TRUE(is_same_Recipe(&xy, &xy));
  EXPECT_TRUE(is_same_Recipe(&xx, &xx));
  EXPECT_TRUE(is_same_Recipe(&xy, &yx));
  EXPECT_TRUE(is_same_Recipe(&xy, &xx));   // both tags of b find x in a
  EXPECT_FALSE(is_same_Recipe(&xx, &xy));  // y finds nothing in a
  const FACE_RECIPE secondary = face("x/1"), ops = face("x[1,2]"), swapped = face("x[2,1]");
  EXPECT_FALSE(is_same_Recipe(&secondary, &xx));
  EXPECT_FALSE(is_same_Recipe(&ops, &swapped));
  FACE_RECIPE old = face("x y");
  old.set_version(2);
  EXPECT_TRUE(is_same_Recipe(&old, &xy));
}

TEST(RecipeComparison, ClassesMustAgreeAndNullIsNeverTheSame) {
  const FACE_RECIPE f;
  const EDGE_RECIPE e;
  const VERTEX_RECIPE v;
  const IRecipe* const all[] = {&f, &e, &v, nullptr};
  for (const IRecipe* a : all) {
    for (const IRecipe* b : all) {
      EXPECT_EQ(is_same_Recipe(a, b), a == b && a != nullptr);
    }
  }
}

TEST(RecipeComparison, EdgesCompareNestedRecipesAsSetsVerticesByPosition) {
  const FACE_RECIPE f1 = face("f1"), f2 = face("f2"), f3 = face("f3");
  const VERTEX_RECIPE v123(tags_from(""), {f1, f2, f3}, {});
  const VERTEX_RECIPE v231(tags_from(""), {f2, f3, f1}, {});
  VERTEX_RECIPE::uv_orders uv;
  uv[0].m_u_rank = 1;
  const VERTEX_RECIPE v123_uv(tags_from(""), {f1, f2, f3}, uv);
  EXPECT_FALSE(is_same_Recipe(&v123, &v231));    // rotated
  EXPECT_TRUE(is_same_Recipe(&v123, &v123_uv));  // uv data are not compared

  const EDGE_RECIPE e12(tags_from("e"), {f1, f2}, {v123});
  const EDGE_RECIPE e21(tags_from("e"), {f2, f1}, {v123_uv});
  EXPECT_TRUE(is_same_Recipe(&e12, &e21));
  const EDGE_RECIPE e11(tags_from("e"), {f1, f1}, {v123});
  EXPECT_TRUE(is_same_Recipe(&e11, &e12));  // not one to one
  EXPECT_FALSE(is_same_Recipe(&e12, &e11));
  const EDGE_RECIPE two_vertices(tags_from("e"), {f1, f2}, {v123, v123});
  EXPECT_FALSE(is_same_Recipe(&e12, &two_vertices));
  const EDGE_RECIPE rotated_vertex(tags_from("e"), {f1, f2}, {v231});
  EXPECT_FALSE(is_same_Recipe(&e12, &rotated_vertex));
}

// A short text that announces many nested recipes and tags reads into long runs of default ones;
// comparing two such recipes costs in proportion to the runs, not to the square of their lengths.
TEST(RecipeComparison, AnnouncedButMissingItemsCompareInOneStep) {
  const char* text = "E 3 0 100000 F 3 100000";
  IRecipe* a = nullptr;
  IRecipe* b = nullptr;
  ASSERT_TRUE(restore_from_string(text, a));
  std::unique_ptr<IRecipe> owned_a(a);
  ASSERT_TRUE(restore_from_string(text, b));
  std::unique_ptr<IRecipe> owned_b(b);
  EXPECT_TRUE(is_same_Recipe(a, b));
}

}  // namespace
