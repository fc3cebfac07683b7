#include <tagtrack/matching/match_explanation.h>

#include <tagtrack/matching/internal/explanation_notes.h>
#include <tagtrack/matching/internal/matchers.h>
#include <tagtrack/matching/internal/uv_order_comparison.h>
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

std::size_t vertices_in_same_place(const std::vector<uv_comparison_seen>& uv) {
  std::size_t count = 0;
  VERTEX* last = nullptr;
  for (const uv_comparison_seen& c : uv) {
    if (c.level != uv_same_place) continue;
    if (c.vertex != last) ++count;
    last = c.vertex;
  }
  return count;
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

namespace {

void fill_reasons(match_explanation& why) {
  why.reason = reason_sentence(why);
  for (match_explanation& v : why.vertex_recipes) fill_reasons(v);
}

}  // namespace

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
    why.why_decided = recipe == nullptr ? match_reason::no_recipe : match_reason::unknown_kind;
  }
  fill_reasons(why);
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
