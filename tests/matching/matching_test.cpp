// Matching recipes against models the kernel builds: the candidate search, each matcher's stages,
// the grading of uv orders, a tag index that never answers for a model that changed, and
// explanations that give exactly the plain matcher's result.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/matching/internal/uv_order_comparison.h>

#include "support/models.h"
#include "support/random_model.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;
using TPI_TAGGING_TRACKING::compare_uv_order;
using TPI_TAGGING_TRACKING::uv_order_data;

namespace {

using Matching = tag_test;

// The entities a matcher finds, read out of the trackables it returns.
template <class Tracker>
std::vector<const ENTITY*> found(const std::vector<BODY*>& bodies, const IRecipe& recipe) {
  std::vector<ITrackable*> results;
  Tracker().match(MATCH_CONTEXT(nullptr, bodies, compare_loose), &recipe, results);
  return take_entities(results);
}

using list = std::vector<const ENTITY*>;

TEST_F(Matching, TagCandidatesExactBeforePartialAndPartialsStandTwice) {
  body_ptr b = block();
  std::vector<BODY*> bodies{b.get()};
  set_tags(b->faces()[0], "A B");
  set_tags(b->faces()[1], "A");
  set_tags(b->faces()[2], "A/9");
  set_tags(b->faces()[3], "");
  const auto faces = [&](const std::string& tags) {
    return find_tag_candidates(tags_from(tags), MATCH_CONTEXT(nullptr, bodies, compare_loose),
                               static_cast<FACE*>(nullptr));
  };
  EXPECT_EQ(faces("A"), std::vector<FACE*>{b->faces()[1]});
  // No exact match for [A, A]: face 1 (count 1 of 2) and face 0 are partial; every face with an A
  // under mode 5 follows, so the partials stand twice.
  EXPECT_EQ(faces("A A"), (std::vector<FACE*>{b->faces()[0], b->faces()[1], b->faces()[0],
                                              b->faces()[1], b->faces()[2]}));
  // Only the secondary id differs: a loose match, found once.
  EXPECT_EQ(faces("A/5"), (std::vector<FACE*>{b->faces()[0], b->faces()[1], b->faces()[2]}));
  EXPECT_TRUE(faces("").empty());  // an empty recipe list matches nothing
}

TEST_F(Matching, FaceMatchingIsATagSearchInBodyOrder) {
  body_ptr first = block(), second = block();
  set_tags(first->faces()[4], "F");
  set_tags(second->faces()[2], "F");
  set_tags(second->faces()[3], "F G");
  const FACE_RECIPE r(tags_from("F"));
  EXPECT_EQ(found<FACE_TRACKER>({first.get(), second.get()}, r),
            (list{first->faces()[4], second->faces()[2]}));
  EXPECT_EQ(found<FACE_TRACKER>({second.get(), second.get()}, r),
            (list{second->faces()[2], second->faces()[2]}));
  // The wrong class, or null, finds nothing.
  std::vector<ITrackable*> results;
  FACE_TRACKER().match(MATCH_CONTEXT(nullptr, {second.get()}, compare_loose), nullptr, results);
  const EDGE_RECIPE edge;
  FACE_TRACKER().match(MATCH_CONTEXT(nullptr, {second.get()}, compare_loose), &edge, results);
  EXPECT_TRUE(results.empty());
}

TEST_F(Matching, VertexMatchingByTagsThenFacesThenUvOrder) {
  body_ptr b = block();
  std::vector<BODY*> bodies{b.get()};
  name_faces(b.get());
  // No vertex tags: the three faces meet at exactly one vertex.
  VERTEX* corner = vertex_at(b.get(), {1, 1, 1});
  std::unique_ptr<IRecipe> r = recipe_of(VERTEX_TRACKABLE(corner));
  EXPECT_EQ(found<VERTEX_TRACKER>(bodies, *r), list{corner});
  // A vertex whose own tags match exactly is found at once.
  set_tags(corner, "V");
  r = recipe_of(VERTEX_TRACKABLE(corner));
  set_tags(b->faces()[1], "RENAMED");  // the faces no longer agree; the tags decide
  EXPECT_EQ(found<VERTEX_TRACKER>(bodies, *r), list{corner});
  // Two tag candidates, neither of them where the faces meet: nothing.
  set_tags(b->faces()[1], "TOP");
  set_tags(corner, "");
  set_tags(vertex_at(b.get(), {0, 0, 0}), "V");
  set_tags(vertex_at(b.get(), {1, 0, 0}), "V");
  EXPECT_TRUE(found<VERTEX_TRACKER>(bodies, *r).empty());
  // One of the two where the faces meet: that one.
  set_tags(corner, "V");
  set_tags(vertex_at(b.get(), {1, 0, 0}), "W");
  EXPECT_EQ(found<VERTEX_TRACKER>(bodies, *r), list{corner});
}

TEST_F(Matching, UvOrderTellsApartVerticesWithTheSameFaces) {
  body_ptr c = cylinder(1, 2);
  set_tags(c->faces()[0], "BOT");
  set_tags(c->faces()[1], "TOP");
  set_tags(c->faces()[2], "SIDE");
  const halves h = halve(c.get());
  // Both halves carry the side's tags: only where each vertex stands on them tells them apart.
  std::vector<BODY*> bodies{c.get()};
  for (VERTEX* v : {c->vertices()[0], h.low}) {
    std::unique_ptr<IRecipe> r = recipe_of(VERTEX_TRACKABLE(v));
    EXPECT_EQ(found<VERTEX_TRACKER>(bodies, *r), list{v});
  }
  // The two halves meet along two edges; the end vertices pick the right one.
  for (EDGE* e : {h.ruling, c->edges()[2]}) {
    std::unique_ptr<IRecipe> r = recipe_of(EDGE_TRACKABLE(e));
    EXPECT_EQ(found<EDGE_TRACKER>(bodies, *r), list{e});
  }
}

TEST_F(Matching, EdgeMatchingByTagsThenSharedEdgesThenVertexPairs) {
  body_ptr b = block();
  std::vector<BODY*> bodies{b.get()};
  name_faces(b.get());
  for (EDGE* e : b->edges()) {
    std::unique_ptr<IRecipe> r = recipe_of(EDGE_TRACKABLE(e));
    EXPECT_EQ(found<EDGE_TRACKER>(bodies, *r), list{e});
  }
  // An edge with its own exact tags is found alone.
  set_tags(b->edges()[5], "E5");
  std::unique_ptr<IRecipe> r = recipe_of(EDGE_TRACKABLE(b->edges()[5]));
  set_tags(b->faces()[0], "X");
  set_tags(b->faces()[5], "Y");
  EXPECT_EQ(found<EDGE_TRACKER>(bodies, *r), list{b->edges()[5]});
  // The second face recipe finds nothing: nothing at all, tag candidates or not.
  set_tags(b->edges()[5], "");
  const EDGE_RECIPE two_faces(tags_from(""),
                              {FACE_RECIPE(tags_from("TOP")), FACE_RECIPE(tags_from("NONE"))}, {});
  EXPECT_TRUE(found<EDGE_TRACKER>(bodies, two_faces).empty());
  // One face recipe, no tags, no vertices: every edge of the face, first of them returned.
  const EDGE_RECIPE one_face(tags_from(""), {FACE_RECIPE(tags_from("TOP"))}, {});
  EXPECT_EQ(found<EDGE_TRACKER>(bodies, one_face), list{edges_of(b->faces()[1])[0]});
}

// A candidate found only by partial tag agreement stands twice among the tag candidates, so the
// vertex and edge matchers never take it alone: the faces still decide.
TEST_F(Matching, PartialTagCandidatesNeedTheFacesToAgree) {
  body_ptr b = block();
  std::vector<BODY*> bodies{b.get()};
  name_faces(b.get());
  VERTEX* corner = vertex_at(b.get(), {1, 1, 1});
  VERTEX* elsewhere = vertex_at(b.get(), {0, 0, 0});
  set_tags(corner, "V W");
  std::unique_ptr<IRecipe> r = recipe_of(VERTEX_TRACKABLE(corner));
  set_tags(corner, "");
  set_tags(elsewhere, "V");  // a partial match, far from the faces of the recipe
  EXPECT_TRUE(found<VERTEX_TRACKER>(bodies, *r).empty());
  set_tags(corner, "V");  // now the partial match is where the faces meet
  set_tags(elsewhere, "");
  EXPECT_EQ(found<VERTEX_TRACKER>(bodies, *r), list{corner});

  EDGE* edge = b->edges()[3];
  set_tags(edge, "E F");
  r = recipe_of(EDGE_TRACKABLE(edge));
  set_tags(edge, "");
  set_tags(b->edges()[7], "E");
  EXPECT_TRUE(found<EDGE_TRACKER>(bodies, *r).empty());
  set_tags(b->edges()[7], "");
  set_tags(edge, "E");
  EXPECT_EQ(found<EDGE_TRACKER>(bodies, *r), list{edge});
}

// Grading a stored uv order against the one a candidate vertex has now, branch by branch.
// The grading for a stored record against the corner of a planar quad whose data now are
// {4, 1, 1, 2, 1, 1, 2} (corner 0 of the unit square: (u, v) = (0, 0)).
class UvOrderComparison : public testing::Test {
 protected:
  void SetUp() override {
    sheet = polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
    corner = sheet->vertices()[0];
    face = sheet->faces()[0];
    ASSERT_EQ(uv_order_data(corner, face), uv_of({4, 1, 1, 2, 1, 1, 2}));
  }
  std::pair<bool, int> grade(std::vector<int> stored) {
    int level = 0;
    const bool ok = compare_uv_order(uv_of(stored), corner, face, level);
    return {ok, level};
  }
  body_ptr sheet;
  VERTEX* corner = nullptr;
  FACE* face = nullptr;
};

using result = std::pair<bool, int>;

TEST_F(UvOrderComparison, GradesEachBranchAndNeverAgreesForNoVerticesOrAForeignOne) {
  const std::pair<std::vector<int>, result> cases[] = {
      // The same vertex count: level 1 when each rank lies inside its stored run.
      {{4, 1, 1, 2, 1, 1, 2}, {true, 1}},
      {{4, 1, 1, 2, 3, 3, 4}, {false, 4}},  // v rank outside the stored run
      {{4, 2, 1, 2, 1, 1, 2}, {true, 1}},   // u rank inside the stored run
      {{4, 2, 2, 3, 1, 1, 2}, {false, 4}},
      // A changed vertex count with one rank and its run kept: level 2.
      {{3, 1, 1, 2, 2, 2, 3}, {true, 2}},   // u rank and run unchanged
      {{5, 3, 3, 3, 1, 1, 2}, {true, 2}},   // v rank and run unchanged
      {{5, 1, 1, 1, 2, 2, 3}, {false, 4}},  // a rank kept, no run kept
      // Now 4 vertices; stored with 6 (two lost): ranks that moved down by 2 with their runs.
      {{6, 3, 3, 4, 5, 5, 6}, {true, 3}},
      {{6, 3, 3, 5, 5, 5, 6}, {false, 4}},
      // Stored with 2 (two gained): ranks that moved up by 2, or down by 2.
      {{2, 3, 3, 4, 2, 2, 2}, {true, 3}},   // u moved down by 2
      {{5, 2, 2, 3, 3, 3, 4}, {true, 3}},   // lost one, u moved down by one
      {{5, 0, 0, 1, 0, 0, 1}, {false, 4}},  // lost one, both ranks grew
      // Gained one while both ranks grew by one: accepted only if a run moved with its rank.
      {{3, 0, 0, 1, 0, 0, 1}, {true, 3}},
      // A record of no vertices, or with a rank below 0, never agrees.
      {{0, 1, 1, 2, 1, 1, 2}, {false, 4}},
      {{4, -1, 1, 2, 1, 1, 2}, {false, 4}},
  };
  for (const auto& [stored, expected] : cases) {
    EXPECT_EQ(grade(stored), expected) << testing::PrintToString(stored);
  }
  // Nor does a vertex that is not on the face.
  body_ptr other = block();
  int level = 0;
  EXPECT_FALSE(compare_uv_order(uv_of({4, 1, 1, 2, 1, 1, 2}), other->vertices()[0], face, level));
  EXPECT_EQ(level, 4);
}

// The tag index never gives a stale answer: after the model changes, it answers for the model as it
// is now. (That it gives what the linear search gives, on random models, is held below.)
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

// An explanation gives exactly the plain matcher's result (and so does the matcher with a tag
// index), and its verdict, stage, order and reason say what the matcher did.
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
