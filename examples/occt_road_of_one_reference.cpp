// The road of one reference on Open CASCADE: a fillet remembers the edge it rounds as a recipe,
// the part is regenerated from its features with other dimensions, and the recipe finds the edge
// again in the new solid, where the fillet is remade.
#include "occt_road.h"

int main() {
  return boss_demo::run_road_of_one_reference();
}
