#include <tagtrack/features/internal/answer_rules.h>

#include <algorithm>
#include <set>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace tagtrack {

namespace {

// The first face recipe of an edge or vertex whose search found no face: a face it names is gone.
// Null when every face it names is found (or it is a face).
const TT::face_recipe_seen* gone_face(const TT::match_explanation& why) {
  if (why.kind != 'E' && why.kind != 'V') return nullptr;
  for (const TT::face_recipe_seen& seen : why.faces) {
    if (seen.tags.searched && seen.faces.empty()) return &seen;
  }
  return nullptr;
}

// A face of `entity` that shares no tag, by primary and operation ids, with any face `recipe`
// names; null when there is none.
FACE* unnamed_face(ENTITY* entity, const TT::IRecipe& recipe) {
  const std::vector<TT::FACE_RECIPE>* named = face_recipes_of(recipe);
  if (named == nullptr) return nullptr;
  for (FACE* face : faces_around(entity)) {
    const TT::tag_info* tags = TT::tags_on(TPK::as_entity(face));
    const bool is_named =
        tags != nullptr && std::any_of(named->begin(), named->end(), [&](const TT::FACE_RECIPE& f) {
          return std::any_of(tags->begin(), tags->end(), [&](const TT::tag_data& t) {
            return std::any_of(f.tags().begin(), f.tags().end(), [&](const TT::tag_data& n) {
              return t.matches(n, TT::compare_loose);
            });
          });
        });
    if (!is_named) return face;
  }
  return nullptr;
}

// The entities the matcher chose its answer from by their addresses, in the body's order; empty
// when no such choice was made.
std::vector<ENTITY*> chosen_by_address(const TT::match_explanation& why, BODY* body) {
  std::vector<ENTITY*> among;
  if (why.order != TT::match_order::address) return among;
  std::set<ENTITY*> choice;
  if (why.kind == 'V') {
    // Several vertices stood where the recipe's vertex stood.
    for (const TT::uv_comparison_seen& seen : why.uv) {
      if (seen.level == 1) choice.insert(TPK::as_entity(seen.vertex));
    }
    for (VERTEX* v : body->vertices()) {
      if (choice.count(TPK::as_entity(v)) != 0) among.push_back(TPK::as_entity(v));
    }
  } else {
    choice.insert(why.candidates.begin(), why.candidates.end());
    for (EDGE* e : body->edges()) {
      if (choice.count(TPK::as_entity(e)) != 0) among.push_back(TPK::as_entity(e));
    }
  }
  return among.size() > 1 ? among : std::vector<ENTITY*>();
}

}  // namespace

settled_answer settle_answer(const TT::match_explanation& why, const TT::IRecipe& recipe,
                             BODY* body, const piece_witnesses* witnesses) {
  settled_answer out{why.found, why.reason};
  const TT::face_recipe_seen* gone = gone_face(why);
  if (gone != nullptr && why.verdict == TT::match_verdict::ambiguous) {
    out.entities.clear();
    out.reason += "; but no face carries the tags of its face " +
                  std::to_string(gone->position + 1) + " (" + gone->tags.words +
                  "), so none of them is the one it names";
    return out;
  }
  if (witnesses != nullptr) {
    const witness_verdict pieces = check_witnesses(*witnesses, why, body);
    if (pieces.changed) {
      out.entities = pieces.kept;
      out.reason += pieces.reason;
      return out;
    }
  }
  if (gone != nullptr && why.verdict == TT::match_verdict::resolved) {
    if (FACE* other = unnamed_face(why.found.front(), recipe)) {
      const auto& faces = body->faces();
      const auto number = std::find(faces.begin(), faces.end(), other) - faces.begin() + 1;
      out.entities.clear();
      out.reason +=
          "; but its face " + std::to_string(gone->position + 1) + " (" + gone->tags.words +
          ") is gone, and the " + (why.kind == 'E' ? "edge" : "vertex") + " found lies on face " +
          std::to_string(number) + " of the result, which it does not name: that is another entity";
      return out;
    }
  }
  if (const std::vector<ENTITY*> among = chosen_by_address(why, body); !among.empty()) {
    out.entities = among;
    out.reason += "; but the choice among " + std::to_string(among.size()) +
                  " fell to the entities' order in memory, which is no answer";
  }
  return out;
}

}  // namespace tagtrack
