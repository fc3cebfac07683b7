// The feature history as an application uses it: a reference consumed by a fillet follows its
// edge through edits, regeneration from the first changed feature gives what regeneration from
// scratch gives, a reference taken after the fact on an earlier feature resolves, and every
// entity of a regenerated part resolves to itself.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <BRepAdaptor_Curve.hxx>
#include <TopoDS.hxx>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagtrack.h>

namespace {

namespace TT = TPI_TAGGING_TRACKING;
using tagtrack::feature_history;

// A block with a boss fused on its top, the boss's foot remembered and rounded.
void build_boss_part(feature_history& part, double height, double x, double y) {
  part.add({"block", tagtrack::box{{0, 0, 0}, {10, 10, height}}});
  part.add({"boss", tagtrack::cylinder{{x, y, height}, {0, 0, 1}, 2, 3}});
  part.add({"body", tagtrack::boolean{tagtrack::boolean_kind::fuse, "block", "boss"}});
  ASSERT_TRUE(part.regenerate());
  const auto foot =
      tagtrack::entities_at(part.result("body"), tagtrack::entity_type::edge, {x, y + 2, height});
  ASSERT_EQ(foot.size(), 1u);
  ASSERT_TRUE(part.remember("foot", "body", foot[0]));
  part.add({"round", tagtrack::fillet{"body", {"foot"}, 0.5}});
  ASSERT_TRUE(part.regenerate());
  ASSERT_EQ(part.failure("round"), "");
}

// The remembered face of `after`'s result containing `at`.
void remember_face(feature_history& part, const std::string& name, const std::string& after,
                   tagtrack::point3 at) {
  ASSERT_TRUE(part.regenerate());
  const auto face = tagtrack::entities_at(part.result(after), tagtrack::entity_type::face, at);
  ASSERT_EQ(face.size(), 1u) << name;
  ASSERT_TRUE(part.remember(name, after, face[0]));
}

// A cup made with every feature that copies, offsets, turns or moves: a block drafted on its
// front and shelled through its top, three pegs of a linear pattern fused under it, its mirror
// image beside it, and a ring revolved from a profile with an arc and moved into place. `wall` is
// the shell's thickness.
void build_cup_part(feature_history& part, double wall) {
  part.add({"block", tagtrack::box{{0, 0, 0}, {20, 20, 10}}});
  remember_face(part, "front", "block", {10, 0, 5});
  part.add({"tapered", tagtrack::draft{"block", {"front"}, 3, {0, 0, 1}, {0, 0, 0}}});
  remember_face(part, "lid", "tapered", {10, 10, 10});
  part.add({"cup", tagtrack::shell{"tapered", {"lid"}, wall}});
  part.add({"peg", tagtrack::cylinder{{5, 10, -2}, {0, 0, 1}, 1, 2}});
  part.add({"pegs", tagtrack::pattern{"peg", 3, {5, 0, 0}, {}}});
  part.add({"body", tagtrack::boolean{tagtrack::boolean_kind::fuse, "cup", "pegs"}});
  part.add({"image", tagtrack::mirror{"body", {-5, 0, 0}, {1, 0, 0}}});
  part.add({"pair", tagtrack::boolean{tagtrack::boolean_kind::fuse, "body", "image"}});
  tagtrack::revolve ring;
  ring.polygon = {{26, 10, 0}, {28, 10, 0}, {28, 10, 3}, {26, 10, 3}};
  ring.through[1] = {29, 10, 1.5};
  ring.axis = {{10, 10, 0}, {0, 0, 1}};
  part.add({"ring", ring});
  part.add({"placed",
            tagtrack::move{"ring", {0, 0, 2}, tagtrack::rotation{{{10, 10, 0}, {0, 0, 1}}, 30}}});
  part.add({"all", tagtrack::boolean{tagtrack::boolean_kind::fuse, "pair", "placed"}});
  ASSERT_TRUE(part.regenerate());
  for (const char* id : {"tapered", "cup", "pegs", "image", "ring", "placed", "all"}) {
    ASSERT_EQ(part.failure(id), "") << id;
  }
}

void move_boss(feature_history& part, double height, double x, double y) {
  ASSERT_TRUE(part.set({"block", tagtrack::box{{0, 0, 0}, {10, 10, height}}}));
  ASSERT_TRUE(part.set({"boss", tagtrack::cylinder{{x, y, height}, {0, 0, 1}, 2, 3}}));
}

// Whether the edge is the circle of radius 2 round (x, y) at that height.
bool is_foot(const TopoDS_Shape& edge, double height, double x, double y) {
  const BRepAdaptor_Curve c(TopoDS::Edge(edge));
  for (double t : {0.0, 0.3, 0.6, 0.9}) {
    const gp_Pnt p = c.Value(c.FirstParameter() + t * (c.LastParameter() - c.FirstParameter()));
    if (std::abs(std::hypot(p.X() - x, p.Y() - y) - 2) > 1e-6 || std::abs(p.Z() - height) > 1e-6)
      return false;
  }
  return true;
}

// The recipe text of every face of the last feature's body: what the tags of a regeneration are.
std::vector<std::string> face_recipes(feature_history& part) {
  auto& scheme = static_cast<tagtrack::tagging_scheme&>(part.scheme());
  std::vector<std::string> texts;
  BODY* body = scheme.last_body();
  if (body == nullptr) return texts;
  for (FACE* f : body->faces()) {
    texts.push_back(TT::recipe_text(TT::make_recipe(TT::FACE_TRACKABLE(f)).get()));
  }
  return texts;
}

TEST(FeatureHistory, TheFilletFollowsTheBossFootThroughEveryEdit) {
  feature_history part;
  build_boss_part(part, 2, 5, 5);
  const double edits[][3] = {{3, 7, 4}, {1.5, 3, 6}, {4, 5, 5}};
  for (const auto& e : edits) {
    move_boss(part, e[0], e[1], e[2]);
    ASSERT_TRUE(part.regenerate());
    const tagtrack::resolution foot = part.resolved("foot");
    ASSERT_EQ(foot.entities.size(), 1u) << foot.reason;
    EXPECT_EQ(foot.verdict, TT::match_verdict::resolved);
    EXPECT_TRUE(is_foot(foot.entities[0], e[0], e[1], e[2]));
    EXPECT_EQ(part.failure("round"), "");
  }
}

TEST(FeatureHistory, RegenerationFromTheFirstChangeGivesWhatRegenerationFromScratchGives) {
  feature_history incremental, scratch;
  build_boss_part(incremental, 2, 5, 5);
  build_boss_part(scratch, 2, 5, 5);
  // Only the fillet changes: the block, boss and fuse keep their results.
  for (feature_history* part : {&incremental, &scratch}) {
    ASSERT_TRUE(part->set({"round", tagtrack::fillet{"body", {"foot"}, 0.8}}));
  }
  ASSERT_TRUE(incremental.regenerate());
  EXPECT_EQ(incremental.regenerated_from(), 3u);
  ASSERT_TRUE(scratch.regenerate(feature_history::from::scratch));
  EXPECT_EQ(scratch.regenerated_from(), 0u);
  EXPECT_EQ(face_recipes(incremental), face_recipes(scratch));
  EXPECT_FALSE(face_recipes(incremental).empty());
  // Then the boss moves: from the boss on.
  for (feature_history* part : {&incremental, &scratch}) move_boss(*part, 2, 6, 4);
  ASSERT_TRUE(incremental.regenerate());
  EXPECT_EQ(incremental.regenerated_from(), 1u);  // the block was set to what it was
  ASSERT_TRUE(scratch.regenerate(feature_history::from::scratch));
  EXPECT_EQ(face_recipes(incremental), face_recipes(scratch));
  EXPECT_TRUE(is_foot(incremental.resolved("foot").entities.at(0), 2, 6, 4));
}

TEST(FeatureHistory, AReferenceTakenAfterTheFactOnAnEarlierFeatureResolves) {
  feature_history part;
  build_boss_part(part, 2, 5, 5);
  const std::vector<std::string> before = face_recipes(part);
  // The block's top, on the block's own result, which the fuse has since consumed.
  const auto top =
      tagtrack::entities_at(part.result("block"), tagtrack::entity_type::face, {1, 1, 2});
  ASSERT_EQ(top.size(), 1u);
  ASSERT_TRUE(part.remember("top", "block", top[0]));
  EXPECT_EQ(face_recipes(part), before);  // the model is as it was
  EXPECT_NE(part.saved_text("top"), "");
  move_boss(part, 3, 7, 4);
  ASSERT_TRUE(part.regenerate());
  const tagtrack::resolution found = part.resolved("top");
  ASSERT_EQ(found.entities.size(), 1u) << found.reason;
  EXPECT_EQ(tagtrack::entities_at(part.result("block"), tagtrack::entity_type::face, {1, 1, 3})
                .at(0)
                .IsSame(found.entities[0]),
            true);
  // Restored from its text in another history, it resolves the same way.
  feature_history again;
  build_boss_part(again, 3, 7, 4);
  ASSERT_TRUE(again.restore("top", "block", tagtrack::entity_type::face, part.saved_text("top")));
  ASSERT_TRUE(again.regenerate());
  ASSERT_EQ(again.resolved("top").entities.size(), 1u);
}

// A feature keeps its number when another is inserted before it, so its faces keep their tags; a
// history that starts anew from a document takes the numbers back and names them the same.
TEST(FeatureHistory, AFeatureInsertedBeforeAnotherLeavesItsNames) {
  feature_history part;
  build_boss_part(part, 2, 5, 5);
  const std::vector<std::string> before = face_recipes(part);
  ASSERT_TRUE(part.insert_before("block", {"spare", tagtrack::box{{20, 0, 0}, {1, 1, 1}}}));
  ASSERT_TRUE(part.regenerate());
  EXPECT_EQ(face_recipes(part), before);
  EXPECT_EQ(part.resolved("foot").verdict, TT::match_verdict::resolved);

  feature_history reloaded;
  auto& scheme = static_cast<tagtrack::tagging_scheme&>(reloaded.scheme());
  ASSERT_TRUE(scheme.restore_feature_numbers(
      static_cast<tagtrack::tagging_scheme&>(part.scheme()).feature_numbers()));
  for (const tagtrack::feature& f : part.features()) ASSERT_TRUE(reloaded.add(f));
  ASSERT_TRUE(
      reloaded.restore("foot", "body", tagtrack::entity_type::edge, part.saved_text("foot")));
  ASSERT_TRUE(reloaded.regenerate());
  EXPECT_EQ(face_recipes(reloaded), before);
  EXPECT_EQ(reloaded.resolved("foot").verdict, TT::match_verdict::resolved);
  EXPECT_FALSE(scheme.restore_feature_numbers({{"a", 1}, {"b", 1}}));
}

TEST(FeatureHistory, EditsThatWouldLoseAResultAreRefused) {
  feature_history part;
  build_boss_part(part, 2, 5, 5);
  EXPECT_FALSE(part.remove("boss"));  // the fuse uses it
  EXPECT_FALSE(part.remove("body"));  // the fillet uses it and a reference is taken after it
  ASSERT_TRUE(part.remove("round"));  // a removed fillet passes its target through
  ASSERT_TRUE(part.regenerate());
  EXPECT_TRUE(part.result("round").IsSame(part.result("body")));
  EXPECT_FALSE(part.insert_before("nothing", {"x", tagtrack::box{}}));
  ASSERT_TRUE(part.insert_before("body", {"body", tagtrack::box{}}));
  EXPECT_FALSE(part.regenerate());  // two features named "body"
}

// Every face, edge and vertex of the filleted boss part and of the cup, remembered and resolved in
// the same part: never another entity alone; every face itself alone; nothing lost but the seams of
// periodic faces, which the edge matcher does not resolve (both sides of a seam are one face).
class EveryEntity : public testing::TestWithParam<bool> {};

TEST_P(EveryEntity, OfARegeneratedPartResolvesToItself) {
  feature_history part;
  if (GetParam()) {
    build_cup_part(part, 1);
  } else {
    build_boss_part(part, 2, 5, 5);
  }
  BODY* body = static_cast<tagtrack::tagging_scheme&>(part.scheme()).last_body();
  ASSERT_NE(body, nullptr);
  const auto resolves = [&](ENTITY* entity, auto trackable, bool alone, bool may_be_lost) {
    const std::string text = TT::recipe_text(TT::make_recipe(trackable).get());
    TT::recipe_ptr recipe = TT::read_recipe(text);
    ASSERT_NE(recipe, nullptr);
    const TT::match_results found = TT::find_matches(recipe.get(), {body});
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
  for (FACE* face : body->faces()) resolves(face, TT::FACE_TRACKABLE(face), true, false);
  for (EDGE* edge : body->edges()) {
    const COEDGE* c = edge->coedge();
    const bool seam = c->partner() != nullptr && c->partner()->loop()->face() == c->loop()->face();
    resolves(edge, TT::EDGE_TRACKABLE(edge), false, seam);
  }
  for (VERTEX* v : body->vertices()) resolves(v, TT::VERTEX_TRACKABLE(v), false, false);
}

INSTANTIATE_TEST_SUITE_P(Parts, EveryEntity, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "cup" : "boss"; });

// The cup regenerated from the shell on gives the faces' recipes a regeneration from scratch, and
// a second history of the same features gives, in all the copies, offsets and moves.
TEST(FeatureHistory, CopiesAndOffsetsAreNamedTheSameInEveryRegeneration) {
  feature_history incremental, scratch;
  build_cup_part(incremental, 1);
  build_cup_part(scratch, 1);
  EXPECT_EQ(face_recipes(incremental), face_recipes(scratch));
  for (feature_history* part : {&incremental, &scratch}) {
    ASSERT_TRUE(part->set({"cup", tagtrack::shell{"tapered", {"lid"}, 1.5}}));
  }
  ASSERT_TRUE(incremental.regenerate());
  EXPECT_EQ(incremental.regenerated_from(), 2u);
  ASSERT_TRUE(scratch.regenerate(feature_history::from::scratch));
  EXPECT_EQ(face_recipes(incremental), face_recipes(scratch));
  EXPECT_FALSE(face_recipes(incremental).empty());
}

}  // namespace

namespace {

// A sketch's segments keep their numbers through edits by the rules applications are told: same
// end points, then a shared start or end, then position, then, in a run of segments between two
// kept ones, the same direction; everything else is new, numbered after the largest used.
TEST(SegmentNumbers, FollowTheSegmentsThroughInsertionsRotationsAndBevels) {
  using tagtrack::point3;
  const std::vector<point3> rectangle = {{10, 0, 0}, {20, 0, 0}, {20, 0, 5}, {10, 0, 5}};
  struct row {
    const char* edit;
    std::vector<point3> points;
    std::vector<int> numbers;
  };
  const row rows[] = {
      {"unchanged", rectangle, {0, 1, 2, 3}},
      {"start point moved round", {{20, 0, 0}, {20, 0, 5}, {10, 0, 5}, {10, 0, 0}}, {1, 2, 3, 0}},
      {"every point moved", {{0, 0, 0}, {30, 0, 0}, {30, 0, 9}, {0, 0, 9}}, {0, 1, 2, 3}},
      {"point inserted in the bottom",
       {{10, 0, 0}, {15, 0, 0}, {20, 0, 0}, {20, 0, 5}, {10, 0, 5}},
       {0, 4, 1, 2, 3}},
      // The inner side's two end points both moved, but it still points down between the top and
      // the bottom; the bevel is the new segment.
      {"bevel cut into the inner top corner",
       {{6, 0, 0}, {20, 0, 0}, {20, 0, 5}, {8, 0, 5}, {6, 0, 3}},
       {0, 1, 2, 4, 3}},
  };
  const tagtrack::numbered_polygon first = tagtrack::number_segments(rectangle, nullptr);
  for (const row& r : rows) {
    SCOPED_TRACE(r.edit);
    EXPECT_EQ(tagtrack::number_segments(r.points, &first).numbers, r.numbers);
  }
}

}  // namespace
