// The road of one reference, walked as an application walks it, through the exported interface
// only: build a feature model, track entities, keep their recipes and the model as text,
// regenerate the model with changed parameters, and resolve the recipes in the new model.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>
#include "feature_model.h"

namespace TT = TPI_TAGGING_TRACKING;

namespace {

using feature_demo::edge_between;
using feature_demo::recipe_text;
using feature_demo::resolve;
using feature_demo::vertex_at;

class RoadOfOneReference : public testing::Test {
 protected:
  void SetUp() override {
    TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
    ASSERT_TRUE(feature_demo::build(first, model));
  }
  void TearDown() override {
    for (BODY* b : {model.body, regenerated.body}) {
      if (b != nullptr && b->alive()) TPI_MODEL::delete_body(b);
    }
  }
  void regenerate() {
    TPI_MODEL::delete_body(model.body);
    second.height = 1.5;
    second.cut_at = 0.3;
    ASSERT_TRUE(feature_demo::build(second, regenerated));
  }
  feature_demo::parameters first, second;
  feature_demo::model model, regenerated;
};

TEST_F(RoadOfOneReference, EdgeVertexAndFaceResolveToTheirCounterparts) {
  const double w = first.width, d = first.depth;
  const std::string edge =
      recipe_text(TT::EDGE_TRACKABLE(edge_between(model.body, {w, 0, 0}, {w, 0, first.height})));
  const std::string top_edge = recipe_text(
      TT::EDGE_TRACKABLE(edge_between(model.body, {w, 0, first.height}, {w, d, first.height})));
  const std::string vertex =
      recipe_text(TT::VERTEX_TRACKABLE(vertex_at(model.body, {w, d, first.height})));
  const std::string face = recipe_text(TT::FACE_TRACKABLE(model.sides[1]));
  regenerate();
  const double h = second.height;
  BODY* body = regenerated.body;
  EXPECT_EQ(resolve(edge, {body}),
            std::vector<const ENTITY*>{edge_between(body, {w, 0, 0}, {w, 0, h})});
  EXPECT_EQ(resolve(top_edge, {body}),
            std::vector<const ENTITY*>{edge_between(body, {w, 0, h}, {w, d, h})});
  EXPECT_EQ(resolve(vertex, {body}), std::vector<const ENTITY*>{vertex_at(body, {w, d, h})});
  EXPECT_EQ(resolve(face, {body}), std::vector<const ENTITY*>{regenerated.sides[1]});
}

TEST_F(RoadOfOneReference, RecipesResolveInAModelRestoredFromItsFile) {
  const double w = first.width;
  const std::string edge =
      recipe_text(TT::EDGE_TRACKABLE(edge_between(model.body, {w, 0, 0}, {w, 0, first.height})));
  std::string file;
  ASSERT_TRUE(TPI_FILE::save_bodies({model.body}, file).ok());
  std::vector<std::string> tags;
  for (FACE* f : model.body->faces()) tags.push_back(feature_demo::tags_text(f));
  TPI_MODEL::delete_body(model.body);
  std::vector<BODY*> restored;
  const outcome r = TPI_FILE::restore_bodies(file, restored);
  ASSERT_TRUE(r.ok()) << r.message();
  BODY* body = restored[0];
  for (std::size_t i = 0; i < tags.size(); ++i) {
    EXPECT_EQ(feature_demo::tags_text(body->faces()[i]), tags[i]);
  }
  EXPECT_EQ(resolve(edge, {body}),
            std::vector<const ENTITY*>{edge_between(body, {w, 0, 0}, {w, 0, first.height})});
  std::string again;
  ASSERT_TRUE(TPI_FILE::save_bodies({body}, again).ok());
  EXPECT_EQ(again, file);
  TPI_MODEL::delete_body(body);
}

TEST_F(RoadOfOneReference, AmbiguousAndLostReferences) {
  // The top and the part the cut made differ only in their secondary ids. A recipe that names
  // neither secondary id matches no face exactly and both loosely (primary and operation ids):
  // both are returned, in the body's face order, each once.
  const std::string both = "F 3 1  8 P A D 1 . t o p 0 3 1 2 3";
  regenerate();
  BODY* body = regenerated.body;
  const std::vector<const ENTITY*> tops = resolve(both, {body});
  EXPECT_EQ(tops, (std::vector<const ENTITY*>{regenerated.top, regenerated.top_rest}));
  // A side face deleted after tracking: its recipe resolves to nothing.
  const std::string side = recipe_text(TT::FACE_TRACKABLE(regenerated.sides[2]));
  ASSERT_FALSE(side.empty());
  ASSERT_TRUE(TPI_MODEL::delete_face(regenerated.sides[2]).ok());
  EXPECT_TRUE(resolve(side, {body}).empty());
}

// Every face, edge and vertex of the first model, remembered and resolved in the regenerated one:
// the explanation gives what the plain matcher gives, and a verdict that agrees with it.
TEST_F(RoadOfOneReference, ExplanationsGiveThePlainMatchersResult) {
  std::vector<std::string> texts;
  for (FACE* f : model.body->faces()) texts.push_back(recipe_text(TT::FACE_TRACKABLE(f)));
  for (EDGE* e : model.body->edges()) texts.push_back(recipe_text(TT::EDGE_TRACKABLE(e)));
  for (VERTEX* v : model.body->vertices()) texts.push_back(recipe_text(TT::VERTEX_TRACKABLE(v)));
  regenerate();
  const TT::MATCH_CONTEXT ctx(nullptr, {regenerated.body}, TT::compare_loose);
  for (const std::string& text : texts) {
    const TT::recipe_ptr recipe = TT::read_recipe(text);
    ASSERT_NE(recipe, nullptr) << text;
    const TT::match_explanation why = TT::explain_match(ctx, recipe.get());
    EXPECT_EQ(std::vector<const ENTITY*>(why.found.begin(), why.found.end()),
              resolve(text, {regenerated.body}))
        << text;
    EXPECT_EQ(why.verdict == TT::match_verdict::lost, why.found.empty()) << text;
  }
}

}  // namespace
