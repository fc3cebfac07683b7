#include "feature_model.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace feature_demo {

namespace TT = TPI_TAGGING_TRACKING;

namespace {

bool check(const outcome& result, const char* step) {
  if (!result.ok()) std::fprintf(stderr, "%s: %s\n", step, result.message().c_str());
  return result.ok();
}

// The first tag attribute of `entity`, or null.
ATTRIB_CUSTOM* tag_attribute(ENTITY* entity) {
  TPK::tpk_array<ATTRIB_CUSTOM*> found;
  TPI_CUSTOM_ENTITY::find_attrib(entity, TT::generic_tag_attrib_def::name(), found);
  return found.empty() ? nullptr : found[0];
}

// Gives `face` the feature's tag: a fresh attribute, or the copied one renamed.
void name_face(FACE* face, const std::string& primary, int operation) {
  ATTRIB_CUSTOM* attrib = tag_attribute(face);
  if (attrib == nullptr) {
    attrib = TT::tag_entity(face, primary);
    if (attrib == nullptr) return;
  } else {
    TT::update_primary_Id_for_attrib(attrib, TT::primary_id(primary));
  }
  TT::prepend_operation_id_for_attrib(attrib, operation, false);
}

}  // namespace

bool build(const parameters& p, model& out) {
  // Sketch: a rectangle in the plane z = 0.
  std::srand(1);
  BODY* body = nullptr;
  if (!check(TPI_BUILD::make_polyhedron(
                 {{0, 0, 0}, {p.width, 0, 0}, {p.width, p.depth, 0}, {0, p.depth, 0}},
                 {{0, 1, 2, 3}}, body),
             "sketch")) {
    return false;
  }
  FACE* profile = body->faces()[0];
  name_face(profile, "SKETCH1", 1);

  // Pad: the top face is a copy of the profile, tags included; the side faces are new.
  FACE* top = nullptr;
  {
    TT::tag_manager_scope pad(2);
    if (!check(TPI_MODEL::extrude(profile, {0, 0, p.height}, top), "pad")) return false;
    pad.resolve_duplicates();
  }
  name_face(top, "PAD1.top", 2);
  std::vector<FACE*> sides;
  for (FACE* face : body->faces()) {
    if (face != profile && face != top) sides.push_back(face);
  }
  for (std::size_t k = 0; k < sides.size(); ++k)
    name_face(sides[k], "PAD1.side" + std::to_string(k), 2);

  // Cut: split the top from its corner at the origin to a point on its far edge; both parts carry
  // the top's tags until duplicate resolution gives them secondary ids of their own.
  TT::tag_manager_scope cut(3);
  VERTEX* corner = vertex_at(body, {0, 0, p.height});
  EDGE* far_edge = nullptr;
  for (EDGE* e : body->edges()) {
    if (TPK::same_point(e->start()->point(), {0, p.depth, p.height}) ||
        TPK::same_point(e->end()->point(), {0, p.depth, p.height})) {
      if (TPK::same_point(e->start()->point(), {p.width, p.depth, p.height}) ||
          TPK::same_point(e->end()->point(), {p.width, p.depth, p.height})) {
        far_edge = e;
      }
    }
  }
  VERTEX* cut_point = nullptr;
  EDGE* far_piece = nullptr;
  EDGE* cut_edge = nullptr;
  FACE* cut_off = nullptr;
  if (corner == nullptr || far_edge == nullptr ||
      !check(TPI_MODEL::split_edge(far_edge, {p.cut_at * p.width, p.depth, p.height}, cut_point,
                                   far_piece),
             "cut: split edge") ||
      !check(TPI_MODEL::split_face(top, corner, cut_point, cut_edge, cut_off), "cut: split face")) {
    return false;
  }
  cut.resolve_duplicates();
  TT::prepend_operation_id_for_attrib(tag_attribute(top), 3, false);
  TT::prepend_operation_id_for_attrib(tag_attribute(cut_off), 3, false);

  out.body = body;
  out.bottom = profile;
  out.top = top;
  out.top_rest = cut_off;
  out.sides = sides;
  return true;
}

std::string tags_text(ENTITY* entity) {
  ATTRIB_CUSTOM* attrib = tag_attribute(entity);
  if (attrib == nullptr) return "untagged";
  const auto* def = static_cast<const TT::generic_tag_attrib_def*>(attrib->def());
  std::string text;
  for (const TT::tag_data& tag : *def->get_tag_info()) {
    if (!text.empty()) text += " ";
    text += std::string(tag.m_primary_id.begin(), tag.m_primary_id.end()) + "/" +
            std::to_string(tag.m_secondary_id) + "[";
    for (std::size_t i = 0; i < tag.m_operation_ids.size(); ++i) {
      text += (i ? "," : "") + std::to_string(tag.m_operation_ids[i]);
    }
    text += "]";
  }
  return text;
}

VERTEX* vertex_at(BODY* body, const TPK::position& p) {
  for (VERTEX* v : body->vertices()) {
    if (TPK::same_point(v->point(), p)) return v;
  }
  return nullptr;
}

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

std::string recipe_text(const TT::ITrackable& trackable) {
  TT::IRecipe* recipe = nullptr;
  trackable.MakeRecipe(TT::TRACK_CONTEXT(), recipe);
  std::unique_ptr<TT::IRecipe> owned(recipe);
  char* text = nullptr;
  if (!TT::save_to_string(text, recipe)) return "";
  std::string kept(text);
  delete[] text;
  return kept;
}

std::vector<const ENTITY*> resolve(const std::string& text, const std::vector<BODY*>& bodies) {
  std::vector<const ENTITY*> entities;
  TT::IRecipe* recipe = nullptr;
  if (!TT::restore_from_string(text.c_str(), recipe)) return entities;
  std::unique_ptr<TT::IRecipe> owned(recipe);
  std::unique_ptr<TT::ITracker> tracker(recipe->create_tracker());
  std::vector<TT::ITrackable*> found;
  tracker->match(TT::MATCH_CONTEXT(nullptr, bodies, TT::compare_loose), recipe, found);
  for (TT::ITrackable* t : found) {
    std::unique_ptr<TT::ITrackable> trackable(t);
    if (auto* f = dynamic_cast<TT::FACE_TRACKABLE*>(t)) entities.push_back(f->GetFacePtr());
    if (auto* e = dynamic_cast<TT::EDGE_TRACKABLE*>(t)) entities.push_back(e->GetEdgePtr());
    if (auto* v = dynamic_cast<TT::VERTEX_TRACKABLE*>(t)) entities.push_back(v->GetVertexPtr());
  }
  return entities;
}

}  // namespace feature_demo
