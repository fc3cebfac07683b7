// A feature model on Open CASCADE, built the way a CAD application replays its feature history:
// a block (feature 1), a cylindrical boss standing on its top and fused to it (feature 2), and a
// fillet of the edge where the boss meets the block (feature 3). Each feature tags the faces it
// makes with a primary id of its own and its operation id; the fuse runs with the tag manager on
// and resolves the duplicate tags it leaves. The fillet keeps its edge as a recipe text, which is
// what survives regeneration.
#pragma once

#include <string>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/tagging_tracking.h>

namespace boss_demo {

struct parameters {
  double width = 10, depth = 10, height = 2;  // the block, from the origin
  double boss_x = 5, boss_y = 5;              // the boss's axis on the block's top
  double boss_radius = 2, boss_height = 3;
  double fillet_radius = 0.5;
};

// The block with the boss fused on it, tagged, in the current default history stream; null (with
// a message on standard error) when a step fails.
BODY* build_block_with_boss(const parameters& p);

// The edge where the boss's side meets the block's top, found by its geometry as a user's click
// would find it: the circle of the boss's radius round its axis at the block's height.
EDGE* boss_foot(BODY* body, const parameters& p);

// Whether `edge` is that circle (every point at the radius from the axis, at the block's height).
bool is_boss_foot(const EDGE* edge, const parameters& p);

// The recipe text of an edge, and the edges a recipe text resolves to in `body` (none when the
// text is not a recipe).
std::string edge_recipe(EDGE* edge);
std::vector<EDGE*> resolve_edges(const std::string& text, BODY* body);

// Rounds the edge and tags the rounded face; false (with a message) when Open CASCADE refuses.
bool round_edge(EDGE* edge, double radius);

}  // namespace boss_demo
