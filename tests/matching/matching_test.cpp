// Matching recipes against models the kernel builds: the candidate search and each matcher's
// stages.
#include <memory>

#include <gtest/gtest.h>

#include <tagtrack/matching/internal/candidates.h>
#include "support/models.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

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

}  // namespace
