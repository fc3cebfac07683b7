#include "match_report.h"

#include <vector>

namespace TT = TPI_TAGGING_TRACKING;
using nlohmann::json;

namespace tagtrack_tool {

namespace {

const char* kind_word(char kind) {
  switch (kind) {
    case 'F':
      return "face";
    case 'E':
      return "edge";
    case 'V':
      return "vertex";
  }
  return "entity";
}

std::string counts(const TT::tag_candidates_seen& seen) {
  if (!seen.searched) return "no tags, nothing searched";
  if (seen.exact > 0) return seen.words + ": " + std::to_string(seen.exact) + " exact";
  std::string out = seen.words + ": none exact, " + std::to_string(seen.partial) + " partial, " +
                    std::to_string(seen.loose) + " loose";
  if (seen.primary_only > 0) {
    out += ", " + std::to_string(seen.primary_only) + " with a primary id but other operation ids";
  }
  return out;
}

// The uv order levels, best first (1 to 4).
const char* level_word(int level) {
  switch (level) {
    case 1:
      return "the same place";
    case 2:
      return "one rank and its run kept";
    case 3:
      return "shifted by the change in vertex count";
  }
  return "no agreement";
}

template <class T>
void list(std::string& out, const std::string& indent, const std::vector<T*>& entities,
          const entity_words& name) {
  for (T* e : entities) out += indent + "- " + name(TPK::as_entity(e)) + "\n";
}

void list(std::string& out, const std::string& indent, const std::vector<ENTITY*>& entities,
          const entity_words& name) {
  for (ENTITY* e : entities) out += indent + "- " + name(e) + "\n";
}

void report(std::string& out, const TT::match_explanation& why, const std::string& indent,
            const entity_words& name) {
  out += indent + TT::verdict_word(why.verdict) + ": " + why.reason + "\n";
  const std::string in = indent + "  ";
  out += in + "decided by the " + TT::stage_word(why.decided_by) + " stage\n";
  if (why.order != TT::match_order::none) {
    out += in + "the first of several candidates was taken, in the " + TT::order_word(why.order) +
           " order" +
           (why.order == TT::match_order::address
                ? " (which can differ from one session to the next)\n"
                : "\n");
  }
  out += in + "own tags: " + counts(why.tags) + "\n";
  for (const TT::face_recipe_seen& face : why.faces) {
    out += in + "face recipe " + std::to_string(face.position) + ": " + counts(face.tags) + "; " +
           std::to_string(face.faces.size()) + " found\n";
    list(out, in + "  ", face.faces, name);
  }
  if (why.kind == 'E' || why.kind == 'V') {
    out += in + std::to_string(why.candidates.size()) + " candidate " + kind_word(why.kind) +
           (why.candidates.size() == 1 ? "" : "s") + " after the faces\n";
    list(out, in + "  ", why.candidates, name);
  }
  for (std::size_t i = 0; i < why.vertex_recipes.size(); ++i) {
    out += in + "vertex recipe " + std::to_string(i) + ":\n";
    report(out, why.vertex_recipes[i], in + "  ", name);
  }
  for (const TT::uv_comparison_seen& uv : why.uv) {
    out += in + "uv order of " + name(TPK::as_entity(uv.vertex)) + " on the face of face recipe " +
           std::to_string(uv.position) + ": " + level_word(uv.level) + "\n";
  }
  out += in + std::to_string(why.found.size()) + " found\n";
  list(out, in + "  ", why.found, name);
}

json seen_json(const TT::tag_candidates_seen& seen, const entity_object& object) {
  json candidates = json::array();
  for (ENTITY* e : seen.candidates) candidates.push_back(object(e));
  return {{"words", seen.words},     {"searched", seen.searched}, {"exact", seen.exact},
          {"partial", seen.partial}, {"loose", seen.loose},       {"candidates", candidates}};
}

template <class T>
json objects(const std::vector<T*>& entities, const entity_object& object) {
  json out = json::array();
  for (T* e : entities) out.push_back(object(TPK::as_entity(e)));
  return out;
}

json objects(const std::vector<ENTITY*>& entities, const entity_object& object) {
  json out = json::array();
  for (ENTITY* e : entities) out.push_back(object(e));
  return out;
}

}  // namespace

std::string explanation_text(const TT::match_explanation& why, const entity_words& name) {
  std::string out;
  report(out, why, "", name);
  return out;
}

json explanation_json(const TT::match_explanation& why, const entity_object& object) {
  json faces = json::array(), vertices = json::array(), uv = json::array();
  for (const TT::face_recipe_seen& face : why.faces) {
    faces.push_back({{"position", face.position},
                     {"tags", seen_json(face.tags, object)},
                     {"faces", objects(face.faces, object)}});
  }
  for (const TT::match_explanation& v : why.vertex_recipes)
    vertices.push_back(explanation_json(v, object));
  for (const TT::uv_comparison_seen& c : why.uv) {
    uv.push_back({{"vertex", object(TPK::as_entity(c.vertex))},
                  {"face", object(TPK::as_entity(c.face))},
                  {"position", c.position},
                  {"level", c.level}});
  }
  return {{"kind", std::string(1, why.kind == 0 ? '-' : why.kind)},
          {"verdict", TT::verdict_word(why.verdict)},
          {"reason", why.reason},
          {"stage", TT::stage_word(why.decided_by)},
          {"reason_word", TT::reason_word(why.why_decided)},
          {"order", TT::order_word(why.order)},
          {"tags", seen_json(why.tags, object)},
          {"faces", faces},
          {"candidates", objects(why.candidates, object)},
          {"vertex_recipes", vertices},
          {"uv", uv},
          {"found", objects(why.found, object)}};
}

}  // namespace tagtrack_tool
