// The road of one reference: an application remembers an edge of its model as a recipe, keeps the
// recipe as text, regenerates the model from its features with changed parameters, and finds the
// same edge again in the new model.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "feature_model.h"
#include "tagging_tracking.h"

namespace TT = TPI_TAGGING_TRACKING;

namespace {

std::string point_text(const TPK::position& p) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "(%g, %g, %g)", p.x, p.y, p.z);
  return buffer;
}

std::string edge_text(const EDGE* e) {
  return point_text(e->start()->point()) + " to " + point_text(e->end()->point());
}

// The edge between two points, either way round.
EDGE* edge_between(BODY* body, const TPK::position& a, const TPK::position& b) {
  for (EDGE* e : body->edges()) {
    const TPK::position s = e->start()->point(), t = e->end()->point();
    if ((TPK::same_point(s, a) && TPK::same_point(t, b)) ||
        (TPK::same_point(s, b) && TPK::same_point(t, a))) {
      return e;
    }
  }
  return nullptr;
}

void print_model(const char* title, const feature_demo::model& m) {
  std::printf("%s: %zu faces, %zu edges, %zu vertices\n", title, m.body->faces().size(),
              m.body->edges().size(), m.body->vertices().size());
  for (FACE* face : m.body->faces()) {
    std::printf("  face %-40s on a %s\n", feature_demo::tags_text(face).c_str(),
                face->geometry()->type_name());
  }
}

}  // namespace

int main() {
  TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");

  std::printf("1. Build the feature model: sketch, pad (height 1), cut of the top at 0.5.\n");
  feature_demo::parameters first;
  feature_demo::model model;
  if (!feature_demo::build(first, model)) return 1;
  print_model("   model", model);

  std::printf("\n2. Remember the edge where the pad's front and right sides meet.\n");
  EDGE* chosen = edge_between(model.body, {first.width, 0, 0}, {first.width, 0, first.height});
  if (chosen == nullptr) return 1;
  std::printf("   the edge runs from %s\n", edge_text(chosen).c_str());
  TT::IRecipe* recipe = nullptr;
  TT::EDGE_TRACKABLE(chosen).MakeRecipe(TT::TRACK_CONTEXT(), recipe);
  char* text = nullptr;
  TT::save_to_string(text, recipe);
  const std::string stored(text);
  delete[] text;
  delete recipe;
  std::printf("   its recipe, as the application stores it in its document:\n   %s\n",
              stored.c_str());

  std::printf("\n3. Save the model to a model file, as the application would.\n");
  std::string file;
  TPI_FILE::save_bodies({model.body}, file);
  std::printf("   %zu bytes of model file, tags included\n", file.size());

  std::printf(
      "\n4. Regenerate the model from its features with changed parameters:\n"
      "   the pad is now 1.5 high and the cut meets the far edge at 0.3.\n");
  TPI_MODEL::delete_body(model.body);
  feature_demo::parameters second = first;
  second.height = 1.5;
  second.cut_at = 0.3;
  feature_demo::model regenerated;
  if (!feature_demo::build(second, regenerated)) return 1;
  print_model("   model", regenerated);

  std::printf("\n5. Restore the recipe from its text and match it in the new model.\n");
  TT::IRecipe* restored = nullptr;
  if (!TT::restore_from_string(stored.c_str(), restored)) return 1;
  std::unique_ptr<TT::IRecipe> owned(restored);
  std::vector<TT::ITrackable*> found;
  TT::EDGE_TRACKER().match(TT::MATCH_CONTEXT(nullptr, {regenerated.body}, 5), restored, found);
  std::printf("   the recipe resolved to %zu edge(s):\n", found.size());
  for (TT::ITrackable* t : found) {
    const EDGE* e = static_cast<TT::EDGE_TRACKABLE*>(t)->GetEdgePtr();
    std::printf("   - from %s\n", edge_text(e).c_str());
    delete t;
  }
  std::printf(
      "   It is the right edge: before it ran from (2, 0, 0) to (2, 0, 1); the pad grew, so now "
      "it\n"
      "   runs up to z = 1.5. The recipe named it by the tags of the two side faces along it\n"
      "   (PAD1.side...) and by the faces round each of its end vertices; no pointer or index of\n"
      "   the old model was needed.\n");
  TPI_MODEL::delete_body(regenerated.body);
  return found.size() == 1 ? 0 : 1;
}
