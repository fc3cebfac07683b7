#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/matching/internal/inner_match.h>
#include <tagtrack/matching/internal/trackable_results.h>
#include <tagtrack/matching/internal/uv_order_comparison.h>
#include <tagtrack/tracking/internal/entity_lookup.h>

namespace TPI_TAGGING_TRACKING {

namespace {

using face_set = std::set<FACE*>;  // ordered by address

void give(const std::vector<VERTEX*>& vertices, std::vector<ITrackable*>& results) {
  append_trackables<VERTEX_TRACKABLE>(vertices, results);
}

// A single remaining vertex is accepted when there are no tag candidates or it is one of them.
void give_filtered(VERTEX* x, const std::vector<VERTEX*>& tag_candidates,
                   std::vector<ITrackable*>& results) {
  if (tag_candidates.empty() ||
      std::find(tag_candidates.begin(), tag_candidates.end(), x) != tag_candidates.end()) {
    give({x}, results);
  }
}

// The vertices of the faces, face by face, each face's in kernel order.
std::vector<VERTEX*> vertices_of(const face_set& faces) {
  std::vector<VERTEX*> vertices;
  for (FACE* face : faces) collect_vertices(TPK::as_entity(face), vertices);
  return vertices;
}

}  // namespace

void VERTEX_TRACKER::match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
                           std::vector<ITrackable*>& results) {
  const auto* vertex_recipe = dynamic_cast<const VERTEX_RECIPE*>(recipe);
  if (vertex_recipe == nullptr) return;

  // Tag stage.
  const tag_info& own = *vertex_recipe->get_tags();
  std::vector<VERTEX*> tagged;
  if (!own.empty()) tagged = find_tag_candidates(own, ctx, static_cast<VERTEX*>(nullptr));
  if (tagged.size() == 1) return give(tagged, results);

  // Face stage: the faces each face recipe finds, and the vertices common to them.
  const std::vector<FACE_RECIPE>& face_recipes = *vertex_recipe->get_face_recipes();
  if (face_recipes.size() <= 1) return give(tagged, results);
  std::map<std::int32_t, face_set> found;  // by face-recipe position
  for (std::size_t i = 0; i < face_recipes.size(); ++i) {
    const std::vector<FACE*> faces = faces_found(ctx, face_recipes[i]);
    if (!faces.empty()) found[static_cast<std::int32_t>(i)] = face_set(faces.begin(), faces.end());
  }
  if (found.size() <= 1) return give(tagged, results);
  auto entry = found.begin();
  std::vector<VERTEX*> common = vertices_of(entry->second);
  if (common.empty()) return;
  if (common.size() == 1) return give_filtered(common.front(), tagged, results);
  for (++entry; entry != found.end(); ++entry) {
    if (entry->second.empty()) continue;
    const std::vector<VERTEX*> next = vertices_of(entry->second);
    std::vector<VERTEX*> kept;
    for (VERTEX* v : common) {
      for (VERTEX* w : next) {
        if (v == w) kept.push_back(w);
      }
    }
    if (kept.size() == 1) return give_filtered(kept.front(), tagged, results);
    if (kept.empty()) return give(tagged, results);
    common = std::move(kept);
  }
  std::sort(common.begin(), common.end(), std::less<VERTEX*>());
  common.erase(std::unique(common.begin(), common.end()), common.end());

  // Uv stage: where each remaining vertex stands on the curved faces found.
  const VERTEX_RECIPE::uv_orders& stored = *vertex_recipe->get_uv_orders();
  if (!stored.empty()) {
    std::vector<VERTEX*> by_level[2];  // uv_one_run_kept, uv_shifted_by_count
    for (VERTEX* v : common) {
      for (const auto& [position, faces] : found) {
        const auto record = stored.find(position);
        if (record == stored.end()) continue;
        for (FACE* face : faces) {
          int level = uv_no_agreement;
          if (!compare_uv_order(record->second, v, face, level)) continue;
          if (level == uv_same_place) return give({v}, results);
          by_level[level - uv_one_run_kept].push_back(v);
        }
      }
    }
    for (const std::vector<VERTEX*>& level : by_level) {
      if (!level.empty()) return give(level, results);
    }
  }

  // Final stage.
  if (common.empty()) return;
  if (common.size() == 1) return give_filtered(common.front(), tagged, results);
  if (tagged.size() >= 2) {
    std::vector<VERTEX*> both;
    for (VERTEX* e : tagged) {
      for (VERTEX* v : common) {
        if (v == e) both.push_back(v);
      }
    }
    return give(both, results);
  }
  if (tagged.empty()) give(common, results);
}

}  // namespace TPI_TAGGING_TRACKING
