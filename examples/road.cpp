// The road of one reference: an application remembers an edge of its model as a recipe, keeps the
// recipe as text, regenerates the model from its features with changed parameters, and finds the
// same edge again in the new model.
#include <cstdio>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>
#include "feature_model.h"
#include "road.h"

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

void print_model(const char* title, const feature_demo::model& m) {
  std::printf("%s: %zu faces, %zu edges, %zu vertices\n", title, m.body->faces().size(),
              m.body->edges().size(), m.body->vertices().size());
  for (FACE* face : m.body->faces()) {
    std::printf("  face %-40s on a %s\n", feature_demo::tags_text(face).c_str(),
                face->geometry()->type_name());
  }
}

}  // namespace

namespace feature_demo {

int run_road_of_one_reference(const demo_road::road_observer& observer) {
  TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");

  std::printf("1. Build the feature model: sketch, pad (height 1), cut of the top at 0.5.\n");
  feature_demo::parameters first;
  feature_demo::model model;
  if (!feature_demo::build(first, model)) return 1;
  print_model("   model", model);

  std::printf("\n2. Remember the edge where the pad's front and right sides meet.\n");
  EDGE* chosen =
      feature_demo::edge_between(model.body, {first.width, 0, 0}, {first.width, 0, first.height});
  if (chosen == nullptr) return 1;
  std::printf("   the edge runs from %s\n", edge_text(chosen).c_str());
  const std::string stored = feature_demo::recipe_text(TT::EDGE_TRACKABLE(chosen));
  std::printf("   its recipe, as the application stores it in its document:\n   %s\n",
              stored.c_str());
  if (observer.recipe_kept) observer.recipe_kept(stored);
  if (observer.before_edit) observer.before_edit(model.body, {chosen});

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
  const std::vector<const ENTITY*> found = feature_demo::resolve(stored, {regenerated.body});
  std::printf("   the recipe resolved to %zu edge(s):\n", found.size());
  std::vector<const EDGE*> found_edges;
  for (const ENTITY* e : found) {
    found_edges.push_back(static_cast<const EDGE*>(e));
    std::printf("   - from %s\n", edge_text(found_edges.back()).c_str());
  }
  if (observer.after_edit) observer.after_edit(regenerated.body, found_edges);
  std::printf(
      "   It is the right edge: before it ran from (2, 0, 0) to (2, 0, 1); the pad grew, so now "
      "it\n"
      "   runs up to z = 1.5. The recipe named it by the tags of the two side faces along it\n"
      "   (PAD1.side...) and by the faces round each of its end vertices; no pointer or index of\n"
      "   the old model was needed.\n");
  TPI_MODEL::delete_body(regenerated.body);
  return found.size() == 1 ? 0 : 1;
}

}  // namespace feature_demo
