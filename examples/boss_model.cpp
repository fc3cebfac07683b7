#include "boss_model.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <gp_Ax2.hxx>

#include <tagtrack/occt/operations.h>
#include <tagtrack/occt/shape_bodies.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace boss_demo {

namespace {

BODY* import(const TopoDS_Shape& shape) {
  BODY* body = nullptr;
  const outcome made = TPI_OCCT::import_shape(shape, body);
  if (!made.ok()) std::fprintf(stderr, "import: %s\n", made.message().c_str());
  return body;
}

void tag(BODY* body, const TopoDS_Shape& face, const std::string& name, int operation) {
  const TPI_OCCT::shape_entities entities(body);
  TT::tag_entity(TPK::as_entity(entities.face(face)), name, operation);
}

}  // namespace

BODY* build_block_with_boss(const parameters& p) {
  // Feature 1: the block, a face tag each.
  BRepPrimAPI_MakeBox box(p.width, p.depth, p.height);
  BODY* block = import(box.Shape());
  if (block == nullptr) return nullptr;
  tag(block, box.BottomFace(), "BLOCK1.bottom", 1);
  tag(block, box.TopFace(), "BLOCK1.top", 1);
  tag(block, box.FrontFace(), "BLOCK1.front", 1);
  tag(block, box.BackFace(), "BLOCK1.back", 1);
  tag(block, box.LeftFace(), "BLOCK1.left", 1);
  tag(block, box.RightFace(), "BLOCK1.right", 1);

  // Feature 2: the boss, fused with the tag manager on. Seeding the C library's generator with
  // the feature's number makes regeneration renumber duplicates the same way.
  BRepPrimAPI_MakeCylinder cylinder(gp_Ax2(gp_Pnt(p.boss_x, p.boss_y, p.height), gp::DZ()),
                                    p.boss_radius, p.boss_height);
  BODY* boss = import(cylinder.Shape());
  if (boss == nullptr) return nullptr;
  tag(boss, cylinder.Cylinder().LateralFace(), "BOSS2.side", 2);
  tag(boss, cylinder.Cylinder().TopFace(), "BOSS2.top", 2);
  tag(boss, cylinder.Cylinder().BottomFace(), "BOSS2.bottom", 2);
  std::srand(2);
  TT::activateTagManager(true);
  const outcome fused = TPI_OCCT::fuse(block, boss);
  TT::manageDupicateTags();
  TT::activateTagManager(false);
  if (!fused.ok()) {
    std::fprintf(stderr, "fuse: %s\n", fused.message().c_str());
    return nullptr;
  }
  return block;
}

bool is_boss_foot(const EDGE* edge, const parameters& p) {
  if (edge == nullptr) return false;
  for (double f : {0.0, 0.2, 0.45, 0.7, 0.9}) {
    const TPK::position q =
        edge->geometry()->eval(edge->t_start() + f * (edge->t_end() - edge->t_start()));
    const double r = std::hypot(q.x - p.boss_x, q.y - p.boss_y);
    if (std::abs(r - p.boss_radius) > 1e-6 || std::abs(q.z - p.height) > 1e-6) return false;
  }
  return true;
}

EDGE* boss_foot(BODY* body, const parameters& p) {
  for (EDGE* edge : body->edges()) {
    if (is_boss_foot(edge, p)) return edge;
  }
  return nullptr;
}

std::string edge_recipe(EDGE* edge) {
  return TT::recipe_text(TT::make_recipe(TT::EDGE_TRACKABLE(edge)).get());
}

std::vector<EDGE*> resolve_edges(const std::string& text, BODY* body) {
  std::vector<EDGE*> edges;
  TT::recipe_ptr recipe = TT::read_recipe(text);
  if (recipe == nullptr) return edges;
  const TT::match_results found = TT::find_matches(recipe.get(), {body});
  for (EDGE* edge : found.edges()) edges.push_back(edge);
  return edges;
}

bool round_edge(EDGE* edge, double radius) {
  BODY* body = edge->body();
  const outcome rounded = TPI_OCCT::fillet({edge}, radius);
  if (!rounded.ok()) {
    std::fprintf(stderr, "fillet: %s\n", rounded.message().c_str());
    return false;
  }
  // Feature 3 tags the face it made: the only face without tags.
  for (FACE* face : body->faces()) {
    if (TT::tags_on(TPK::as_entity(face)) == nullptr) {
      TT::tag_entity(TPK::as_entity(face), "FILLET3.round", 3);
    }
  }
  return true;
}

}  // namespace boss_demo
