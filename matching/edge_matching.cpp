#include <algorithm>
#include <vector>

#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/matching/internal/explanation_notes.h>
#include <tagtrack/matching/internal/matchers.h>
#include <tagtrack/matching/internal/trackable_results.h>
#include <tagtrack/tracking/internal/entity_lookup.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

namespace {

bool bounds(const std::vector<VERTEX*>& ends, VERTEX* a, VERTEX* b) {
  return ends.size() == 2 && ((ends[0] == a && ends[1] == b) || (ends[0] == b && ends[1] == a));
}

// The vertices its vertex recipes find, in order; each recorded with its own explanation.
std::vector<VERTEX*> vertices_found(const MATCH_CONTEXT& ctx, const EDGE_RECIPE& recipe,
                                    match_explanation* why) {
  std::vector<VERTEX*> found;
  for (const VERTEX_RECIPE& v : *recipe.get_vertex_recipes()) {
    match_explanation* inner = nullptr;
    if (why != nullptr) inner = &why->vertex_recipes.emplace_back();
    const std::vector<VERTEX*> vertices = match_vertex(ctx, v, inner);
    if (inner != nullptr) note_found(*inner, vertices);
    found.insert(found.end(), vertices.begin(), vertices.end());
  }
  return found;
}

// Why the face stage left at most one candidate: `candidates` of them, with `face_recipes` face
// recipes, what `why` recorded of their faces, and its tag candidates.
match_reason few_candidates(std::size_t face_recipes, const match_explanation& why,
                            std::size_t candidates) {
  if (face_recipes == 0) return match_reason::edge_no_tags_no_faces;
  for (const face_recipe_seen& seen : why.faces) {
    if (seen.faces.empty()) return match_reason::edge_faces_missing;
  }
  if (face_recipes == 1) {
    return candidates == 0 ? match_reason::edge_face_has_no_edge
                           : match_reason::edge_face_has_one_edge;
  }
  if (why.tags.candidates.empty()) return match_reason::edge_sides_share_none;
  return candidates == 0 ? match_reason::edge_tagged_not_between
                         : match_reason::edge_one_tagged_between;
}

}  // namespace

std::vector<EDGE*> match_edge(const MATCH_CONTEXT& ctx, const EDGE_RECIPE& recipe,
                              match_explanation* why) {
  // Tag stage.
  const tag_info& own = *recipe.get_tags();
  std::vector<EDGE*> tagged;
  if (!own.empty()) tagged = find_tag_candidates(own, ctx, static_cast<EDGE*>(nullptr));
  note_tags(why, own, tagged, ctx);
  if (tagged.size() == 1) {
    decide(why, match_stage::tags, match_reason::edge_one_tagged);
    return tagged;
  }

  // Face stage: the candidates C.
  const std::vector<FACE_RECIPE>& face_recipes = *recipe.get_face_recipes();
  std::vector<EDGE*> candidates;
  match_order order = match_order::model;  // the order of C, which decides when it must
  if (face_recipes.size() <= 1) {
    candidates = tagged;
    if (candidates.empty() && face_recipes.size() == 1) {
      for (FACE* face : faces_found(ctx, face_recipes, 0, why))
        collect_edges(TPK::as_entity(face), candidates);
    }
  } else {
    const std::vector<FACE*> first = faces_found(ctx, face_recipes, 0, why);
    const std::vector<FACE*> second = faces_found(ctx, face_recipes, 1, why);
    if (!first.empty() && !second.empty()) {
      std::vector<EDGE*> shared;
      for (FACE* a : first) {
        for (FACE* b : second) {
          if (b != a) collect_shared_edges(a, b, shared);
        }
      }
      std::sort(shared.begin(), shared.end(), std::less<EDGE*>());
      shared.erase(std::unique(shared.begin(), shared.end()), shared.end());
      if (shared.size() == 1) {
        note_candidates(why, shared);
        if (tagged.empty() || std::find(tagged.begin(), tagged.end(), shared[0]) != tagged.end()) {
          decide(why, match_stage::faces, match_reason::edge_one_common);
          return shared;
        }
        decide(why, match_stage::faces, match_reason::edge_common_not_tagged);
        return {};
      }
      if (tagged.empty()) {
        candidates = std::move(shared);
        order = match_order::address;
      } else {
        for (EDGE* e : tagged) {
          for (EDGE* s : shared) {
            if (s == e) candidates.push_back(s);
          }
        }
      }
    }
  }
  note_candidates(why, candidates);
  if (candidates.size() <= 1) {
    if (why != nullptr) {
      decide(why, match_stage::faces, few_candidates(face_recipes.size(), *why, candidates.size()));
    }
    return candidates;
  }

  // Vertex stage: the first pair of vertices found that bounds a candidate decides.
  const std::vector<VERTEX*> found = vertices_found(ctx, recipe, why);
  if (found.size() <= 1) {
    decide(why, match_stage::vertices, match_reason::edge_few_vertices_found, order);
    return {candidates.front()};
  }
  std::vector<std::vector<VERTEX*>> ends(candidates.size());
  for (std::size_t k = 0; k < candidates.size(); ++k)
    collect_vertices(TPK::as_entity(candidates[k]), ends[k]);
  for (std::size_t i = 0; i + 1 < found.size(); ++i) {
    for (std::size_t j = i + 1; j < found.size(); ++j) {
      for (std::size_t k = 0; k < candidates.size(); ++k) {
        if (!bounds(ends[k], found[i], found[j])) continue;
        if (why != nullptr) {
          // Another candidate bounded by vertices found means the pairs' order chose.
          std::size_t bounded = 0;
          for (const std::vector<VERTEX*>& e : ends) {
            bool any = false;
            for (std::size_t a = 0; a + 1 < found.size() && !any; ++a) {
              for (std::size_t b = a + 1; b < found.size() && !any; ++b)
                any = bounds(e, found[a], found[b]);
            }
            if (any) ++bounded;
          }
          why->bounded = bounded;
          decide(why, match_stage::vertices,
                 bounded == 1 ? match_reason::edge_one_bounded : match_reason::edge_first_pair,
                 bounded == 1 ? match_order::none : order);
        }
        return {candidates[k]};
      }
    }
  }
  decide(why, match_stage::vertices, match_reason::edge_none_bounded);
  return candidates;
}

void EDGE_TRACKER::match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
                         std::vector<ITrackable*>& results) {
  const auto* edge_recipe = dynamic_cast<const EDGE_RECIPE*>(recipe);
  if (edge_recipe == nullptr) return;
  append_trackables<EDGE_TRACKABLE>(match_edge(ctx, *edge_recipe, nullptr), results);
}

}  // namespace TPI_TAGGING_TRACKING
