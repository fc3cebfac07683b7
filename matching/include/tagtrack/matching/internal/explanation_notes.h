// How the matchers write into an explanation: each call does nothing when `why` is null, so
// matching without an explanation pays one test per stage. The matchers record a typed reason;
// its sentence is made once, by explain_match, from reason_sentence.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/matching/match_context.h>
#include <tagtrack/matching/match_explanation.h>
#include <tagtrack/tagging/tag_info.h>

namespace TPI_TAGGING_TRACKING {

// The tags as people write them: primary id, "/secondary" when not 0, "[operation ids]" when
// there are any; the first three, then how many more.
std::string tag_words(const tag_info& tags);

// Records the search of `tags` and what it gave, counting exact, partial and loose candidates.
void note_tag_search(tag_candidates_seen& seen, const tag_info& tags,
                     const std::vector<ENTITY*>& candidates);

// The entities of `entities` sharing a primary id with `tags` (any secondary and operation ids).
std::size_t count_primary_only(const tag_info& tags, const std::vector<ENTITY*>& entities);

template <class T>
void note_tags(match_explanation* why, const tag_info& tags, const std::vector<T*>& candidates,
               const MATCH_CONTEXT& ctx) {
  if (why == nullptr) return;
  std::vector<ENTITY*> entities;
  entities.reserve(candidates.size());
  for (T* c : candidates) entities.push_back(TPK::as_entity(c));
  note_tag_search(why->tags, tags, entities);
  if (!candidates.empty() || tags.empty()) return;
  std::vector<T*> all;
  collect_all(ctx.get_bodies(), all);
  entities.clear();
  for (T* e : all) entities.push_back(TPK::as_entity(e));
  why->tags.primary_only = count_primary_only(tags, entities);
}

template <class T>
void note_candidates(match_explanation* why, const std::vector<T*>& candidates) {
  if (why == nullptr) return;
  why->candidates.clear();
  for (T* c : candidates) why->candidates.push_back(TPK::as_entity(c));
}

// Records the stage that returned, why, and the order that chose when only the first of several
// candidates was taken.
inline void decide(match_explanation* why, match_stage stage, match_reason reason,
                   match_order order = match_order::none) {
  if (why == nullptr) return;
  why->decided_by = stage;
  why->why_decided = reason;
  why->order = order;
}

// Completes an explanation with the matcher's result and the verdict it amounts to.
template <class T>
void note_found(match_explanation& why, const std::vector<T*>& found) {
  why.found.clear();
  for (T* e : found) why.found.push_back(TPK::as_entity(e));
  std::vector<ENTITY*> distinct = why.found;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  why.verdict = distinct.empty()       ? match_verdict::lost
                : distinct.size() == 1 ? match_verdict::resolved
                                       : match_verdict::ambiguous;
}

// How many vertices of the comparisons stand in the same place on some face (the comparisons of
// one vertex come together).
std::size_t vertices_in_same_place(const std::vector<uv_comparison_seen>& uv);

}  // namespace TPI_TAGGING_TRACKING
