// An explanation gives exactly the plain matcher's result (and so does the matcher with a tag
// index), and its verdict, stage, order and reason say what the matcher did.
#include <map>
#include <memory>
#include <set>
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

std::size_t distinct(std::vector<ENTITY*> entities) {
  std::sort(entities.begin(), entities.end());
  return std::unique(entities.begin(), entities.end()) - entities.begin();
}

// On random models the plain matcher, the matcher using a tag index and the explanation give the
// same entities, element by element; the explanation's verdict counts them, and every reason it or
// one of its vertex recipes reaches gives a sentence.
TEST(MatchExplanation, IndexedPlainAndExplainedMatchesAgreeOnRandomModels) {
  tag_state_guard guard;
  std::map<std::pair<char, match_stage>, int> reached;
  std::set<match_reason> reasons;
  const auto check = [&](const match_explanation& why) {
    EXPECT_FALSE(why.reason.empty()) << reason_word(why.why_decided);
    reasons.insert(why.why_decided);
  };
  for (unsigned seed = 1; seed <= 1000; ++seed) {
    scratch_stream stream;
    random_model model(seed);
    tag_index index(model.bodies);
    const MATCH_CONTEXT ctx(nullptr, model.bodies, compare_loose);
    MATCH_CONTEXT indexed(nullptr, model.bodies, compare_loose);
    indexed.use_tag_index(&index);
    for (int r = 0; r < 10; ++r) {
      const std::unique_ptr<IRecipe> recipe = model.random_recipe();
      const match_explanation why = explain_match(ctx, recipe.get());
      check(why);
      for (const match_explanation& v : why.vertex_recipes) check(v);
      if (!recipe) continue;
      const std::vector<const ENTITY*> plain = matched(ctx, *recipe);
      ASSERT_EQ(matched(indexed, *recipe), plain)
          << "seed " << seed << ": " << text_of(recipe.get());
      ASSERT_EQ(std::vector<const ENTITY*>(why.found.begin(), why.found.end()), plain)
          << "seed " << seed << ": " << text_of(recipe.get());
      const std::size_t n = distinct(why.found);
      EXPECT_EQ(why.verdict, n == 0   ? match_verdict::lost
                             : n == 1 ? match_verdict::resolved
                                      : match_verdict::ambiguous);
      EXPECT_NE(why.decided_by, match_stage::none);
      ++reached[{why.kind, why.decided_by}];
    }
  }
  // The models reach every stage that decides an edge or a vertex, and most reasons, so the
  // comparison covers them.
  using s = match_stage;
  for (const auto& [kind, stage] : {std::pair('E', s::tags),
                                    {'E', s::faces},
                                    {'E', s::vertices},
                                    {'V', s::tags},
                                    {'V', s::faces},
                                    {'V', s::vertices},
                                    {'V', s::uv_order},
                                    {'V', s::last}}) {
    EXPECT_GT((reached[{kind, stage}]), 0) << kind << " " << stage_word(stage);
  }
  EXPECT_GE(reasons.size(), 20u);
  // Each reason has its own word.
  std::set<std::string> words;
  for (int r = 0; r <= static_cast<int>(match_reason::vertex_nothing_tells_apart); ++r) {
    const std::string word = reason_word(static_cast<match_reason>(r));
    EXPECT_FALSE(word.empty()) << r;
    EXPECT_TRUE(words.insert(word).second) << word;
  }
}

using Explanation = tag_test;

TEST_F(Explanation, LostAmbiguousAndResolvedSayWhy) {
  body_ptr a = block(), b = block();
  name_faces(a.get());
  name_faces(b.get());
  const std::unique_ptr<IRecipe> front(recipe_of(FACE_TRACKABLE(a->faces()[2])));
  // The top front edge (y = 0, z = 1) of block a.
  const std::unique_ptr<IRecipe> edge(
      recipe_of(EDGE_TRACKABLE(edge_between(a.get(), {0, 0, 1}, {1, 0, 1}))));

  // Both blocks have a FRONT face: two faces carry exactly its tags.
  const match_explanation two =
      explain_match(MATCH_CONTEXT(nullptr, {a.get(), b.get()}, compare_loose), front.get());
  EXPECT_EQ(two.verdict, match_verdict::ambiguous);
  EXPECT_EQ(two.decided_by, match_stage::tags);
  EXPECT_EQ(two.tags.exact, 2u);
  EXPECT_EQ(two.found,
            (std::vector<ENTITY*>{TPK::as_entity(a->faces()[2]), TPK::as_entity(b->faces()[2])}));

  // The two blocks' top front edges fit alike; the vertices found bound both, so the first
  // candidate in address order is taken.
  const match_explanation copies =
      explain_match(MATCH_CONTEXT(nullptr, {a.get(), b.get()}, compare_loose), edge.get());
  EXPECT_EQ(copies.verdict, match_verdict::resolved);
  EXPECT_EQ(copies.decided_by, match_stage::vertices);
  EXPECT_EQ(copies.order, match_order::address);
  EXPECT_EQ(copies.candidates.size(), 2u);

  // In block a alone the faces decide; once its top is renamed the edge is lost, and the reason
  // names the tag no face carries.
  const MATCH_CONTEXT in_a(nullptr, {a.get()}, compare_loose);
  const match_explanation one = explain_match(in_a, edge.get());
  EXPECT_EQ(one.verdict, match_verdict::resolved);
  EXPECT_EQ(one.decided_by, match_stage::faces);
  EXPECT_EQ(one.order, match_order::none);
  set_tags(a->faces()[1], "LID");
  const match_explanation lost = explain_match(in_a, edge.get());
  EXPECT_EQ(lost.verdict, match_verdict::lost);
  EXPECT_EQ(lost.decided_by, match_stage::faces);
  EXPECT_NE(lost.reason.find("no face of the model carries any of the tags TOP"), std::string::npos)
      << lost.reason;
  // A top re-made by another feature keeps its primary id under another operation id: still lost,
  // and the explanation points at it.
  set_tags(a->faces()[1], "TOP[5]");
  const match_explanation remade = explain_match(in_a, edge.get());
  EXPECT_EQ(remade.verdict, match_verdict::lost);
  for (const face_recipe_seen& side : remade.faces) {
    EXPECT_EQ(side.tags.primary_only, side.faces.empty() ? 1u : 0u) << side.tags.words;
  }
  EXPECT_NE(
      remade.reason.find("1 face carries a primary id of these tags with other operation ids"),
      std::string::npos)
      << remade.reason;

  const match_explanation none = explain_match(in_a, nullptr);
  EXPECT_EQ(none.verdict, match_verdict::lost);
  EXPECT_EQ(none.decided_by, match_stage::none);
}

}  // namespace
