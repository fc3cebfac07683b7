// The tag index gives the matchers exactly what the linear search gives: every result vector,
// element by element, over random models and recipes; and never a stale answer.
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/models.h"
#include "support/random_model.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

TEST(TagIndex, MatchersGiveWhatTheLinearSearchGives) {
  tag_state_guard guard;
  for (unsigned seed = 1; seed <= 1000; ++seed) {
    scratch_stream stream;
    random_model model(seed);
    tag_index index(model.bodies);
    MATCH_CONTEXT linear(nullptr, model.bodies, compare_loose);
    MATCH_CONTEXT indexed(nullptr, model.bodies, compare_loose);
    indexed.use_tag_index(&index);
    for (int r = 0; r < 10; ++r) {
      const std::unique_ptr<IRecipe> recipe = model.random_recipe();
      if (!recipe) continue;
      ASSERT_EQ(matched(indexed, *recipe), matched(linear, *recipe))
          << "seed " << seed << ": " << text_of(recipe.get());
    }
  }
}

// After the model changes, the index answers for the model as it is now.
TEST(TagIndex, NeverAnswersForAModelThatChanged) {
  tag_state_guard guard;
  scratch_stream stream;
  body_ptr b = block();
  for (FACE* f : b->faces()) tag(f, "F");
  stream->note_state();
  tag_index index({b.get()});
  MATCH_CONTEXT indexed(nullptr, {b.get()}, compare_loose);
  indexed.use_tag_index(&index);
  const FACE_RECIPE recipe(tags_from("F"));
  FACE_RECIPE same = recipe;
  EXPECT_EQ(matched(indexed, same).size(), 6u);
  EXPECT_TRUE(index.current());
  set_tags(b->faces()[0], "G");
  EXPECT_FALSE(index.current());
  EXPECT_EQ(matched(indexed, same).size(), 5u);
  stream->roll_back(1);
  EXPECT_EQ(matched(indexed, same).size(), 6u);
  // An index over other bodies is not used.
  body_ptr other = block();
  tag_index elsewhere({other.get()});
  indexed.use_tag_index(&elsewhere);
  EXPECT_EQ(matched(indexed, same).size(), 6u);
}

}  // namespace
