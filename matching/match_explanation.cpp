#include <tagtrack/matching/match_explanation.h>

#include <tagtrack/matching/internal/explanation_notes.h>
#include <tagtrack/matching/internal/matchers.h>
#include <tagtrack/tracking/internal/entity_lookup.h>

namespace TPI_TAGGING_TRACKING {

std::string tag_words(const tag_info& tags) {
  constexpr std::size_t shown = 3;
  std::string words;
  for (std::size_t i = 0; i < tags.size() && i < shown; ++i) {
    const tag_data& tag = tags[i];
    if (i > 0) words += ", ";
    words.append(tag.m_primary_id.begin(), tag.m_primary_id.end());
    if (tag.m_secondary_id != 0) words += "/" + std::to_string(tag.m_secondary_id);
    if (tag.m_operation_ids.size() > 0) {
      words += "[";
      for (std::size_t k = 0; k < tag.m_operation_ids.size(); ++k)
        words += (k > 0 ? "," : "") + std::to_string(tag.m_operation_ids[k]);
      words += "]";
    }
  }
  if (tags.size() > shown) words += " and " + std::to_string(tags.size() - shown) + " more";
  return words;
}

std::string count_of(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string other_operations(const tag_candidates_seen& seen, const char* one, const char* many,
                             const char* lead) {
  if (seen.primary_only == 0) return std::string();
  return lead + count_of(seen.primary_only, one, many) + " " +
         (seen.primary_only == 1 ? "carries" : "carry") +
         " a primary id of these tags with other operation ids";
}

std::string faces_missing(const match_explanation& why) {
  std::string missing;
  for (const face_recipe_seen& seen : why.faces) {
    if (!seen.faces.empty()) continue;
    missing += std::string(missing.empty() ? "" : ", nor ") + seen.tags.words + " (face recipe " +
               std::to_string(seen.position) + other_operations(seen.tags, "face", "faces", "; ") +
               ")";
  }
  return missing.empty() ? missing : "no face of the model carries any of the tags " + missing;
}

std::size_t count_primary_only(const tag_info& tags, const std::vector<ENTITY*>& entities) {
  std::size_t count = 0;
  for (ENTITY* e : entities) {
    const tag_info* own = find_entity_tag_info(e);
    if (own == nullptr) continue;
    int shared = 0;
    tags.count_matches(*own, compare_primary_id, shared);
    if (shared > 0) ++count;
  }
  return count;
}

void note_tag_search(tag_candidates_seen& seen, const tag_info& tags,
                     const std::vector<ENTITY*>& candidates) {
  seen = tag_candidates_seen();
  seen.words = tag_words(tags);
  seen.searched = !tags.empty();
  seen.candidates = candidates;
  // The search gives either exact candidates only, or each partial candidate twice (once among
  // the partial ones, once among the loose ones) and each other loose candidate once.
  std::size_t exact = 0, partial_entries = 0;
  for (ENTITY* c : candidates) {
    const tag_info* own = find_entity_tag_info(c);
    if (own == nullptr) continue;
    int count = 0;
    tags.count_matches(*own, compare_exact, count);
    if (count == 0) continue;
    ++partial_entries;
    if (count == static_cast<int>(tags.size()) && count == static_cast<int>(own->size())) ++exact;
  }
  if (exact > 0 && exact == candidates.size()) {
    seen.exact = exact;
  } else {
    seen.partial = partial_entries / 2;
    seen.loose = candidates.size() - seen.partial;
  }
}

match_explanation explain_match(const MATCH_CONTEXT& ctx, const IRecipe* recipe) {
  match_explanation why;
  if (const auto* face = dynamic_cast<const FACE_RECIPE*>(recipe)) {
    why.kind = 'F';
    note_found(why, match_face(ctx, *face, &why));
  } else if (const auto* edge = dynamic_cast<const EDGE_RECIPE*>(recipe)) {
    why.kind = 'E';
    note_found(why, match_edge(ctx, *edge, &why));
  } else if (const auto* vertex = dynamic_cast<const VERTEX_RECIPE*>(recipe)) {
    why.kind = 'V';
    note_found(why, match_vertex(ctx, *vertex, &why));
  } else {
    why.reason = recipe == nullptr ? "there is no recipe" : "the recipe is of no known kind";
  }
  return why;
}

const char* verdict_word(match_verdict verdict) {
  switch (verdict) {
    case match_verdict::resolved:
      return "resolved";
    case match_verdict::ambiguous:
      return "ambiguous";
    case match_verdict::lost:
      break;
  }
  return "lost";
}

const char* stage_word(match_stage stage) {
  switch (stage) {
    case match_stage::tags:
      return "tags";
    case match_stage::faces:
      return "faces";
    case match_stage::vertices:
      return "vertices";
    case match_stage::uv_order:
      return "uv order";
    case match_stage::last:
      return "last";
    case match_stage::none:
      break;
  }
  return "none";
}

const char* order_word(match_order order) {
  switch (order) {
    case match_order::model:
      return "model";
    case match_order::address:
      return "address";
    case match_order::none:
      break;
  }
  return "none";
}

}  // namespace TPI_TAGGING_TRACKING
