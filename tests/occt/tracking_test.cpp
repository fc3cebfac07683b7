// Tracking and matching on Open CASCADE solids: references made on an imported part find their
// entities again, also after the part is regenerated with other dimensions.
#include <gtest/gtest.h>

#include <algorithm>

#include "boss_model.h"
#include "occt/shapes.h"
#include "support/tags.h"

namespace {

namespace TT = TPI_TAGGING_TRACKING;
using namespace occt_test;

struct OcctTracking : test_support::tag_test {
  occt_stream scratch;
};

TEST_F(OcctTracking, TheFilletsEdgeIsFoundAfterEveryRegeneration) {
  const boss_demo::parameters first;
  BODY* part = boss_demo::build_block_with_boss(first);
  ASSERT_NE(part, nullptr);
  imported().push_back(part);
  EDGE* foot = boss_demo::boss_foot(part, first);
  ASSERT_NE(foot, nullptr);
  const std::string stored = boss_demo::edge_recipe(foot);
  ASSERT_FALSE(stored.empty());

  std::vector<boss_demo::parameters> edits(3, first);
  edits[0].height = 3;                                 // a taller block
  edits[1].boss_x = 3, edits[1].boss_y = 7;            // a moved boss
  edits[2].boss_radius = 1, edits[2].boss_height = 6;  // a thinner, taller boss
  for (const boss_demo::parameters& edit : edits) {
    BODY* regenerated = boss_demo::build_block_with_boss(edit);
    ASSERT_NE(regenerated, nullptr);
    imported().push_back(regenerated);
    const std::vector<EDGE*> found = boss_demo::resolve_edges(stored, regenerated);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(boss_demo::is_boss_foot(found[0], edit));
    EXPECT_TRUE(boss_demo::round_edge(found[0], edit.fillet_radius));
  }
}

// Every face, edge and vertex of a filleted part, remembered and resolved in the same part: never
// another entity alone; every face itself alone; nothing lost but the seams of periodic faces,
// which the edge matcher does not resolve on any kernel (both sides of a seam are one face).
TEST_F(OcctTracking, EveryEntityOfAPartResolvesToItself) {
  const boss_demo::parameters p;
  BODY* part = boss_demo::build_block_with_boss(p);
  ASSERT_NE(part, nullptr);
  imported().push_back(part);
  ASSERT_TRUE(boss_demo::round_edge(boss_demo::boss_foot(part, p), p.fillet_radius));
  const auto resolves = [&](auto* entity, auto trackable, bool alone, bool may_be_lost = false) {
    const std::string text = TT::recipe_text(TT::make_recipe(trackable).get());
    TT::recipe_ptr recipe = TT::read_recipe(text);
    ASSERT_NE(recipe, nullptr);
    const TT::match_results found = TT::find_matches(recipe.get(), {part});
    std::vector<ENTITY*> entities;
    for (FACE* f : found.faces()) entities.push_back(f);
    for (EDGE* e : found.edges()) entities.push_back(e);
    for (VERTEX* v : found.vertices()) entities.push_back(v);
    if (may_be_lost && entities.empty()) return;
    EXPECT_NE(std::find(entities.begin(), entities.end(), entity), entities.end()) << text;
    if (alone) {
      EXPECT_EQ(entities.size(), 1u) << text;
    }
  };
  for (FACE* face : part->faces()) resolves(face, TT::FACE_TRACKABLE(face), true);
  for (EDGE* edge : part->edges()) {
    const COEDGE* c = edge->coedge();
    const bool seam = c->partner() != nullptr && c->partner()->loop()->face() == c->loop()->face();
    resolves(edge, TT::EDGE_TRACKABLE(edge), false, seam);
  }
  for (VERTEX* vertex : part->vertices()) resolves(vertex, TT::VERTEX_TRACKABLE(vertex), false);
}

}  // namespace
