// An application's first hour with tagtrack: a block is built and tagged, its top is cut in two,
// an edge and a face are remembered as recipe texts, the model is saved with its tags and
// restored, then regenerated with other dimensions, and both references are found again.
#include "first_hour.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace first_hour {

namespace TT = TPI_TAGGING_TRACKING;

namespace {

struct dimensions {
  double width, depth, height;
};

// The feature history of the part: PAD1, a block, and CUT1, a cut of its top from one corner to
// the far edge. Gives the part, or null when the kernel refuses a step.
BODY* regenerate(const dimensions& d) {
  // Each feature seeds the C library's generator with its own number before it runs, so that the
  // pieces it leaves are told apart the same way at every regeneration.
  std::srand(1);
  BODY* part = nullptr;
  if (!TPI_BUILD::make_block(d.width, d.depth, d.height, part).ok()) return nullptr;
  const char* names[] = {"PAD1.bottom", "PAD1.top",  "PAD1.front",
                         "PAD1.right",  "PAD1.back", "PAD1.left"};
  // [readme: tag]
  for (std::size_t i = 0; i < part->faces().size(); ++i) {
    TT::tag_entity(part->faces()[i], names[i], 1);
  }
  // [readme: tag]

  // CUT1 makes no face of its own: it splits the top, and the two pieces carry the top's tags
  // until the tag manager gives each a secondary id of its own.
  // [readme: cut]
  TT::tag_manager_scope cut1(2);  // seeds the generator with the feature's number; manager on
  // [readme: cut]
  FACE* top = part->faces()[1];
  VERTEX* corner = nullptr;
  VERTEX* far = nullptr;
  TPK::tpk_array<VERTEX*> corners;
  TPI_QUERY::get_vertices(top, corners);
  for (VERTEX* v : corners) {
    const TPK::position& p = v->point();
    if (p.x == 0 && p.y == 0) corner = v;
    if (p.x == d.width && p.y == d.depth) far = v;
  }
  EDGE* cut = nullptr;
  FACE* piece = nullptr;
  // [readme: split]
  const bool split = TPI_MODEL::split_face(top, corner, far, cut, piece).ok();
  cut1.resolve_duplicates();
  // [readme: split]
  if (!split) {
    TPI_MODEL::delete_body(part);
    return nullptr;
  }
  return part;
}

// The edge of `part` that runs from `a` to `b`, either way round, or null.
EDGE* edge_between(BODY* part, const TPK::position& a, const TPK::position& b) {
  for (EDGE* e : part->edges()) {
    const TPK::position& s = e->start()->point();
    const TPK::position& t = e->end()->point();
    if ((TPK::same_point(s, a) && TPK::same_point(t, b)) ||
        (TPK::same_point(s, b) && TPK::same_point(t, a))) {
      return e;
    }
  }
  return nullptr;
}

// The first tag of an entity as "primary/secondary", or "untagged".
std::string first_tag(ENTITY* entity) {
  const TT::tag_info* tags = TT::tags_on(entity);
  if (tags == nullptr || tags->size() == 0) return "untagged";
  const TT::tag_data& tag = *tags->begin();
  return std::string(tag.m_primary_id.begin(), tag.m_primary_id.end()) + "/" +
         std::to_string(tag.m_secondary_id);
}

std::string where(const EDGE* e) {
  const TPK::position& a = e->start()->point();
  const TPK::position& b = e->end()->point();
  char text[96];
  std::snprintf(text, sizeof text, "(%g %g %g)-(%g %g %g)", a.x, a.y, a.z, b.x, b.y, b.z);
  return text;
}

// Resolves the two references in `bodies` and tells what came back.
bool resolve(const char* when, const std::string& edge_text, const std::string& face_text,
             const std::vector<BODY*>& bodies, std::string& log) {
  // [readme: resolve]
  TT::recipe_ptr edge_recipe = TT::read_recipe(edge_text);
  TT::match_results edges = TT::find_matches(edge_recipe.get(), bodies);
  // [readme: resolve]
  TT::recipe_ptr face_recipe = TT::read_recipe(face_text);
  TT::match_results faces = TT::find_matches(face_recipe.get(), bodies);
  const bool resolved = edges.edges().size() == 1 && faces.faces().size() == 1;
  log += std::string(when) + ": the fillet edge is ";
  log += edges.edges().size() == 1 ? where(edges.edges()[0])
                                   : std::to_string(edges.size()) + " candidates";
  log += "; the sketch face is ";
  log += faces.faces().size() == 1 ? first_tag(faces.faces()[0])
                                   : std::to_string(faces.size()) + " candidates";
  log += "\n";
  return resolved;
}

}  // namespace

bool run(std::string& log) {
  TT::generic_tag_attrib_def_savres::set_savres_def(TT::generic_tag_attrib_def::name());
  const dimensions first{4, 2, 1};
  BODY* part = regenerate(first);
  if (part == nullptr) return false;

  // A fillet remembers the top's front edge, and a sketch the piece of the top over the front.
  // [readme: remember]
  EDGE* edge = edge_between(part, {0, 0, 1}, {4, 0, 1});
  const std::string edge_text = TT::recipe_text(TT::make_recipe(TT::EDGE_TRACKABLE(edge)).get());
  // [readme: remember]
  TPK::tpk_array<FACE*> along;
  TPI_QUERY::get_faces(edge, along);
  FACE* face = nullptr;
  for (FACE* f : along) {
    if (first_tag(f).rfind("PAD1.top", 0) == 0) face = f;
  }
  const std::string face_text = TT::recipe_text(TT::make_recipe(TT::FACE_TRACKABLE(face)).get());
  std::string why;
  if (!TT::survives_recipe_text(TT::read_recipe(edge_text).get(), &why)) {
    log += "the edge's recipe cannot be kept: " + why + "\n";
    return false;
  }
  log += "remembered the fillet edge " + where(edge) + " as \"" + edge_text + "\"\n";
  log += "remembered the sketch face " + first_tag(face) + " as \"" + face_text + "\"\n";

  // Saved and restored with its tags: the references resolve in the restored part.
  std::string model;
  if (!TPI_FILE::save_bodies({part}, model).ok()) return false;
  std::vector<BODY*> restored;
  if (!TPI_FILE::restore_bodies(model, restored).ok()) return false;
  bool ok = resolve("restored from its model file", edge_text, face_text, restored, log);
  for (BODY* b : restored) TPI_MODEL::delete_body(b);

  // Regenerated as applications do: the old model goes, its history is cleared (which frees the
  // deleted entities), and the features run again with the new dimensions.
  TPI_MODEL::delete_body(part);
  HISTORY_STREAM* history = nullptr;
  TPI_HISTORY::get_default(history, false);
  history->clear();
  const dimensions second{6, 3, 2};
  part = regenerate(second);
  if (part == nullptr) return false;
  ok = resolve("regenerated 6 x 3 x 2", edge_text, face_text, {part}, log) && ok;
  TPI_MODEL::delete_body(part);
  history->clear();
  return ok;
}

}  // namespace first_hour
