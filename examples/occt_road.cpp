// The road of one reference on Open CASCADE: a fillet remembers the edge it rounds as a recipe,
// the part is regenerated from its features with other dimensions, and the recipe finds the edge
// again in the new solid, where the fillet is remade.
#include <cstdio>
#include <string>

#include <BRepAdaptor_Curve.hxx>
#include <gp_Circ.hxx>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/shape_bodies.h>

#include "boss_model.h"
#include "occt_road.h"

namespace TT = TPI_TAGGING_TRACKING;

namespace {

std::string describe(const EDGE* edge) {
  const BRepAdaptor_Curve curve(TPI_OCCT::edge_shape(edge));
  char text[160];
  if (curve.GetType() == GeomAbs_Circle) {
    const gp_Circ c = curve.Circle();
    std::snprintf(text, sizeof text, "a circle of radius %g round (%g, %g) at height %g",
                  c.Radius(), c.Location().X(), c.Location().Y(), c.Location().Z());
  } else {
    const TPK::position a = edge->start()->point(), b = edge->end()->point();
    std::snprintf(text, sizeof text, "an edge from (%g, %g, %g) to (%g, %g, %g)", a.x, a.y, a.z,
                  b.x, b.y, b.z);
  }
  return text;
}

void print_part(const char* title, BODY* body) {
  std::printf("   %s: a solid of %zu faces, %zu edges and %zu vertices\n", title,
              body->faces().size(), body->edges().size(), body->vertices().size());
}

}  // namespace

namespace boss_demo {

int run_road_of_one_reference(const demo_road::road_observer& observer) {
  std::printf("The road of one reference, on Open CASCADE solids\n\n");
  boss_demo::parameters first;
  std::printf(
      "1. Build the part from its features: a %g x %g x %g block, then a boss of radius %g and\n"
      "   height %g fused on its top at (%g, %g). Each feature tags the faces it makes.\n",
      first.width, first.depth, first.height, first.boss_radius, first.boss_height, first.boss_x,
      first.boss_y);
  BODY* part = boss_demo::build_block_with_boss(first);
  if (part == nullptr) return 1;
  print_part("part", part);

  std::printf(
      "\n2. The user picks the edge where the boss meets the block for a fillet of radius %g.\n",
      first.fillet_radius);
  EDGE* foot = boss_demo::boss_foot(part, first);
  if (foot == nullptr) return 1;
  std::printf("   the edge picked: %s\n", describe(foot).c_str());
  const std::string stored = boss_demo::edge_recipe(foot);
  std::printf("   the fillet keeps it as a recipe, the text the application saves:\n   %s\n",
              stored.c_str());
  if (observer.recipe_kept) observer.recipe_kept(stored);
  if (observer.before_edit) observer.before_edit(part, {foot});
  if (!boss_demo::round_edge(foot, first.fillet_radius)) return 1;
  print_part("after the fillet", part);

  boss_demo::parameters second = first;
  second.height = 3;
  second.boss_x = 7;
  second.boss_y = 4;
  std::printf(
      "\n3. The user edits the features: the block is now %g high and the boss stands at\n"
      "   (%g, %g). The application throws the solid away and replays the features.\n",
      second.height, second.boss_x, second.boss_y);
  TPI_MODEL::delete_body(part);
  BODY* regenerated = boss_demo::build_block_with_boss(second);
  if (regenerated == nullptr) return 1;
  print_part("new part", regenerated);

  std::printf("\n4. The fillet reads its recipe back and resolves it in the new solid.\n");
  const std::vector<EDGE*> found = boss_demo::resolve_edges(stored, regenerated);
  std::printf("   the recipe resolved to %zu edge(s)\n", found.size());
  for (const EDGE* edge : found) std::printf("   - %s\n", describe(edge).c_str());
  if (observer.after_edit) observer.after_edit(regenerated, {found.begin(), found.end()});
  const bool right = found.size() == 1 && boss_demo::is_boss_foot(found[0], second);
  if (right) {
    std::printf(
        "   It is the right edge: the boss's foot, now higher and moved. The recipe named it by\n"
        "   the tags of the faces on either side (BLOCK1.top and BOSS2.side), not by a pointer or\n"
        "   an index of the old solid, which are gone.\n");
    if (!boss_demo::round_edge(found[0], second.fillet_radius)) return 1;
    print_part("the fillet remade", regenerated);
  } else {
    std::printf("   The reference did not resolve to the boss's foot.\n");
  }
  TPI_MODEL::delete_body(regenerated);
  return right ? 0 : 1;
}

}  // namespace boss_demo
