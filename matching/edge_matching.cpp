#include <algorithm>
#include <vector>

#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/matching/internal/inner_match.h>
#include <tagtrack/matching/internal/trackable_results.h>
#include <tagtrack/tracking/internal/entity_lookup.h>

namespace TPI_TAGGING_TRACKING {

namespace {

void give(const std::vector<EDGE*>& edges, std::vector<ITrackable*>& results) {
  append_trackables<EDGE_TRACKABLE>(edges, results);
}

}  // namespace

void EDGE_TRACKER::match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
                         std::vector<ITrackable*>& results) {
  const auto* edge_recipe = dynamic_cast<const EDGE_RECIPE*>(recipe);
  if (edge_recipe == nullptr) return;

  // Tag stage.
  const tag_info& own = *edge_recipe->get_tags();
  std::vector<EDGE*> tagged;
  if (!own.empty()) tagged = find_tag_candidates(own, ctx, static_cast<EDGE*>(nullptr));
  if (tagged.size() == 1) return give(tagged, results);

  // Face stage: the candidates C.
  const std::vector<FACE_RECIPE>& face_recipes = *edge_recipe->get_face_recipes();
  std::vector<EDGE*> candidates;
  if (face_recipes.size() <= 1) {
    candidates = tagged;
    if (candidates.empty() && face_recipes.size() == 1) {
      for (FACE* face : faces_found(ctx, face_recipes[0]))
        collect_edges(TPK::as_entity(face), candidates);
    }
  } else {
    const std::vector<FACE*> first = faces_found(ctx, face_recipes[0]);
    const std::vector<FACE*> second = faces_found(ctx, face_recipes[1]);
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
        if (tagged.empty() || std::find(tagged.begin(), tagged.end(), shared[0]) != tagged.end()) {
          give(shared, results);
        }
        return;
      }
      if (tagged.empty()) {
        candidates = std::move(shared);
      } else {
        for (EDGE* e : tagged) {
          for (EDGE* s : shared) {
            if (s == e) candidates.push_back(s);
          }
        }
      }
    }
  }
  if (candidates.size() <= 1) return give(candidates, results);

  // Vertex stage: the first pair of vertices found that bounds a candidate decides.
  std::vector<VERTEX*> found;
  for (const VERTEX_RECIPE& v : *edge_recipe->get_vertex_recipes()) {
    const std::vector<VERTEX*> vertices = vertices_found(ctx, v);
    found.insert(found.end(), vertices.begin(), vertices.end());
  }
  if (found.size() <= 1) return give({candidates.front()}, results);
  std::vector<std::vector<VERTEX*>> ends(candidates.size());
  for (std::size_t k = 0; k < candidates.size(); ++k)
    collect_vertices(TPK::as_entity(candidates[k]), ends[k]);
  for (std::size_t i = 0; i + 1 < found.size(); ++i) {
    for (std::size_t j = i + 1; j < found.size(); ++j) {
      for (std::size_t k = 0; k < candidates.size(); ++k) {
        const std::vector<VERTEX*>& e = ends[k];
        if (e.size() == 2 &&
            ((e[0] == found[i] && e[1] == found[j]) || (e[0] == found[j] && e[1] == found[i]))) {
          return give({candidates[k]}, results);
        }
      }
    }
  }
  give(candidates, results);
}

}  // namespace TPI_TAGGING_TRACKING
