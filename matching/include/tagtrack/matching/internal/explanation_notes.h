// How the matchers write into an explanation: each call does nothing when `why` is null, and the
// reason is built only when it is not, so matching without an explanation pays one test per stage.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
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

// Records the stage that returned, with its reason (a callable giving the sentence).
template <class Reason>
void decide(match_explanation* why, match_stage stage, Reason&& reason,
            match_order order = match_order::none) {
  if (why == nullptr) return;
  why->decided_by = stage;
  why->order = order;
  why->reason = std::forward<Reason>(reason)();
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

// "no face of the model carries any of the tags A (face recipe 0), nor B (face recipe 2)" for the
// face recipes recorded as finding no face; empty when each found some.
std::string faces_missing(const match_explanation& why);

// "; 2 faces carry a primary id of these tags with other operation ids" (after `lead`), or nothing
// when the search recorded no such entity.
std::string other_operations(const tag_candidates_seen& seen, const char* one, const char* many,
                             const char* lead);

// "1 face", "3 faces".
std::string count_of(std::size_t n, const char* one, const char* many);

}  // namespace TPI_TAGGING_TRACKING
