// A small feature model, built the way a CAD application replays its feature history: a sketch
// (a rectangular profile), a pad (the profile extruded), and a cut of the pad's top face from one
// corner to a point on the opposite edge. Each feature tags the faces it makes with a primary id
// of its own and its operation id, and resolves the duplicate tags its operation leaves.
#pragma once

#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace feature_demo {

struct parameters {
  double width = 2;
  double depth = 1;
  double height = 1;
  // Where the cut meets the top's far edge, as a fraction of the width.
  double cut_at = 0.5;
};

struct model {
  BODY* body = nullptr;
  FACE* bottom = nullptr;
  FACE* top = nullptr;       // the top face, as the cut left it
  FACE* top_rest = nullptr;  // the part the cut made
  std::vector<FACE*> sides;  // one per sketch edge, in the order the pad made them
};

// Builds the model from its features; false (with a message on standard error) if the kernel
// refuses a step. The operation ids are 1 (sketch), 2 (pad) and 3 (cut). Before each feature the
// C library's generator is seeded with the feature's operation id, so that regeneration gives the
// pieces that duplicate resolution renumbers the same secondary ids again.
bool build(const parameters& p, model& out);

// The tags of an entity as text ("PAD1.side1/0[2]"), or "untagged".
std::string tags_text(ENTITY* entity);

// The vertex at a point, and the edge between two points either way round; null when there is
// none.
VERTEX* vertex_at(BODY* body, const TPK::position& p);
EDGE* edge_between(BODY* body, const TPK::position& a, const TPK::position& b);

// The recipe of a trackable as the text an application keeps; empty when none is made.
std::string recipe_text(const TPI_TAGGING_TRACKING::ITrackable& trackable);

// Restores a recipe from its text and matches it in `bodies`: the entities found, in the order
// the matcher gives them; none when the text is not a recipe.
std::vector<const ENTITY*> resolve(const std::string& text, const std::vector<BODY*>& bodies);

}  // namespace feature_demo
