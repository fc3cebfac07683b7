// The candidate search that every matcher runs first on a recipe's own tags, and the edges two
// faces share.
//
// find_tag_candidates enumerates the entities of one kind over the bodies in order (each body's in
// kernel order) and compares each tagged entity's tags T with the recipe's tags R as
// R.count_matches(T, mode, count):
// - exact matches (mode 7, the count equal to both list sizes) are the result when there is any;
// - otherwise the result is the partial matches (mode 7, a count of at least one) followed by every
//   loose match (mode 5, a count of at least one), both in enumeration order. A partial match is
//   always also a loose match, so it stands twice: the doubled entry marks a candidate found only
//   by partial agreement, and the matchers that accept a single tag candidate outright (vertex and
//   edge matching) therefore never accept one found that way without further evidence. The face
//   matcher returns such a face twice. The result is empty exactly when no entity matches even
//   loosely.
// An entity without tags, or with an empty tag list, is never a candidate.
#pragma once

#include <cstdint>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/matching/match_context.h>
#include <tagtrack/tagging/tag_info.h>

namespace TPI_TAGGING_TRACKING {

// Through the context's tag index when it has one built over its bodies, otherwise by the linear
// search; both give the same.
std::vector<FACE*> find_tag_candidates(const tag_info& recipe_tags, const MATCH_CONTEXT& ctx,
                                       FACE* kind);
std::vector<EDGE*> find_tag_candidates(const tag_info& recipe_tags, const MATCH_CONTEXT& ctx,
                                       EDGE* kind);
std::vector<VERTEX*> find_tag_candidates(const tag_info& recipe_tags, const MATCH_CONTEXT& ctx,
                                         VERTEX* kind);

// Appends the faces, edges or vertices of the bodies to `list`: body by body in the bodies' order,
// each body's in kernel order (a body listed twice gives its entities twice). The order in which
// the candidate search, and the tag index, number the entities.
void collect_all(const std::vector<BODY*>& bodies, std::vector<FACE*>& list);
void collect_all(const std::vector<BODY*>& bodies, std::vector<EDGE*>& list);
void collect_all(const std::vector<BODY*>& bodies, std::vector<VERTEX*>& list);

// The candidate rule above, written once for the linear search and the tag index, which differ
// only in how they find the entities that agree: `entities` and `tags` in enumeration order;
// `agreeing`, ascending, the positions of the tagged entities with a tag agreeing exactly with one
// of the recipe's; `loosely_agreeing()`, asked only when no entity agrees in full, the ascending
// positions of those with a tag agreeing loosely.
template <class T, class Loose>
std::vector<T*> apply_candidate_rule(const tag_info& recipe_tags, const std::vector<T*>& entities,
                                     const std::vector<const tag_info*>& tags,
                                     const std::vector<std::uint32_t>& agreeing,
                                     Loose&& loosely_agreeing) {
  std::vector<T*> result;
  for (const std::uint32_t p : agreeing) {
    int count = 0;
    recipe_tags.count_matches(*tags[p], compare_exact, count);
    if (count == static_cast<int>(recipe_tags.size()) &&
        count == static_cast<int>(tags[p]->size())) {
      result.push_back(entities[p]);
    }
  }
  if (!result.empty()) return result;
  for (const std::uint32_t p : agreeing) result.push_back(entities[p]);
  for (const std::uint32_t p : loosely_agreeing()) result.push_back(entities[p]);
  return result;
}

// For each edge of `a` in kernel order, for each face of that edge in kernel order: appends the
// edge when that face is `b` (and not `a`), once for each time.
void collect_shared_edges(FACE* a, FACE* b, std::vector<EDGE*>& list);

}  // namespace TPI_TAGGING_TRACKING
