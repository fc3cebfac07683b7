#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/matching/internal/explanation_notes.h>
#include <tagtrack/matching/internal/matchers.h>
#include <tagtrack/matching/internal/trackable_results.h>
#include <tagtrack/matching/internal/uv_order_comparison.h>
#include <tagtrack/tracking/internal/entity_lookup.h>
#include <tagtrack/tracking/tracker.h>

namespace TPI_TAGGING_TRACKING {

namespace {

using face_set = std::set<FACE*>;  // ordered by address

// A single remaining vertex is accepted when there are no tag candidates or it is one of them.
std::vector<VERTEX*> filtered(VERTEX* x, const std::vector<VERTEX*>& tag_candidates) {
  if (tag_candidates.empty() ||
      std::find(tag_candidates.begin(), tag_candidates.end(), x) != tag_candidates.end()) {
    return {x};
  }
  return {};
}

// Why a single common vertex was kept or refused.
match_reason one_common(const std::vector<VERTEX*>& kept) {
  return kept.empty() ? match_reason::vertex_common_not_tagged : match_reason::vertex_one_common;
}

// The vertices of the faces, face by face, each face's in kernel order.
std::vector<VERTEX*> vertices_of(const face_set& faces) {
  std::vector<VERTEX*> vertices;
  for (FACE* face : faces) collect_vertices(TPK::as_entity(face), vertices);
  return vertices;
}

}  // namespace

std::vector<VERTEX*> match_vertex(const MATCH_CONTEXT& ctx, const VERTEX_RECIPE& recipe,
                                  match_explanation* why) {
  // Tag stage.
  const tag_info& own = *recipe.get_tags();
  std::vector<VERTEX*> tagged;
  if (!own.empty()) tagged = find_tag_candidates(own, ctx, static_cast<VERTEX*>(nullptr));
  note_tags(why, own, tagged, ctx);
  if (tagged.size() == 1) {
    decide(why, match_stage::tags, match_reason::vertex_one_tagged);
    return tagged;
  }

  // Face stage: the faces each face recipe finds, and the vertices common to them.
  const std::vector<FACE_RECIPE>& face_recipes = *recipe.get_face_recipes();
  if (face_recipes.size() <= 1) {
    decide(why, match_stage::tags, match_reason::vertex_few_face_recipes);
    return tagged;
  }
  std::map<std::int32_t, face_set> found;  // by face-recipe position
  for (std::size_t i = 0; i < face_recipes.size(); ++i) {
    const std::vector<FACE*> faces = faces_found(ctx, face_recipes, i, why);
    if (!faces.empty()) found[static_cast<std::int32_t>(i)] = face_set(faces.begin(), faces.end());
  }
  if (found.size() <= 1) {
    decide(why, match_stage::faces, match_reason::vertex_faces_missing);
    return tagged;
  }
  auto entry = found.begin();
  std::vector<VERTEX*> common = vertices_of(entry->second);
  note_candidates(why, common);
  if (common.empty()) {
    decide(why, match_stage::faces, match_reason::vertex_no_vertex_on_faces);
    return {};
  }
  if (common.size() == 1) {
    std::vector<VERTEX*> kept = filtered(common.front(), tagged);
    decide(why, match_stage::faces, one_common(kept));
    return kept;
  }
  for (++entry; entry != found.end(); ++entry) {
    const std::vector<VERTEX*> next = vertices_of(entry->second);
    std::vector<VERTEX*> kept;
    for (VERTEX* v : common) {
      for (VERTEX* w : next) {
        if (v == w) kept.push_back(w);
      }
    }
    note_candidates(why, kept);
    if (kept.size() == 1) {
      kept = filtered(kept.front(), tagged);
      decide(why, match_stage::vertices, one_common(kept));
      return kept;
    }
    if (kept.empty()) {
      decide(why, match_stage::vertices, match_reason::vertex_no_common);
      return tagged;
    }
    common = std::move(kept);
  }
  std::sort(common.begin(), common.end(), std::less<VERTEX*>());
  common.erase(std::unique(common.begin(), common.end()), common.end());
  note_candidates(why, common);

  // Uv stage: where each remaining vertex stands on the curved faces found.
  const VERTEX_RECIPE::uv_orders& stored = *recipe.get_uv_orders();
  if (!stored.empty()) {
    const auto each_comparison = [&](auto&& visit) {
      for (VERTEX* v : common) {
        for (const auto& [position, faces] : found) {
          const auto record = stored.find(position);
          if (record == stored.end()) continue;
          for (FACE* face : faces) {
            int level = uv_no_agreement;
            const bool agrees = compare_uv_order(record->second, v, face, level);
            if (visit(v, face, position, agrees, level)) return;
          }
        }
      }
    };
    std::size_t same_place = 0;  // vertices standing where they stood, on some face
    if (why != nullptr) {
      each_comparison([&](VERTEX* v, FACE* face, std::int32_t position, bool, int level) {
        why->uv.push_back({v, face, static_cast<std::size_t>(position), level});
        return false;
      });
      same_place = vertices_in_same_place(why->uv);
    }
    std::vector<VERTEX*> by_level[2];  // uv_one_run_kept, uv_shifted_by_count
    VERTEX* placed = nullptr;
    each_comparison([&](VERTEX* v, FACE*, std::int32_t, bool agrees, int level) {
      if (!agrees) return false;
      if (level == uv_same_place) {
        placed = v;
        return true;
      }
      by_level[level - uv_one_run_kept].push_back(v);
      return false;
    });
    if (placed != nullptr) {
      decide(
          why, match_stage::uv_order,
          same_place == 1 ? match_reason::vertex_same_place : match_reason::vertex_same_place_first,
          same_place == 1 ? match_order::none : match_order::address);
      return {placed};
    }
    for (int k = 0; k < 2; ++k) {
      if (by_level[k].empty()) continue;
      decide(why, match_stage::uv_order,
             k == 0 ? match_reason::vertex_one_run_kept : match_reason::vertex_shifted_by_count);
      return by_level[k];
    }
  }

  // Final stage.
  if (common.size() == 1) {
    std::vector<VERTEX*> kept = filtered(common.front(), tagged);
    decide(why, match_stage::last, one_common(kept));
    return kept;
  }
  if (tagged.size() >= 2) {
    std::vector<VERTEX*> both;
    for (VERTEX* e : tagged) {
      for (VERTEX* v : common) {
        if (v == e) both.push_back(v);
      }
    }
    decide(why, match_stage::last, match_reason::vertex_tagged_common);
    return both;
  }
  decide(why, match_stage::last, match_reason::vertex_nothing_tells_apart);
  return common;
}

void VERTEX_TRACKER::match(const MATCH_CONTEXT& ctx, const IRecipe* recipe,
                           std::vector<ITrackable*>& results) {
  const auto* vertex_recipe = dynamic_cast<const VERTEX_RECIPE*>(recipe);
  if (vertex_recipe == nullptr) return;
  append_trackables<VERTEX_TRACKABLE>(match_vertex(ctx, *vertex_recipe, nullptr), results);
}

}  // namespace TPI_TAGGING_TRACKING
