#include <tagtrack/matching/internal/candidates.h>

#include <tagtrack/matching/tag_index.h>
#include <tagtrack/tracking/internal/entity_lookup.h>

namespace TPI_TAGGING_TRACKING {

void collect_all(const std::vector<BODY*>& bodies, std::vector<FACE*>& list) {
  for (BODY* body : bodies) collect_faces(TPK::as_entity(body), list);
}
void collect_all(const std::vector<BODY*>& bodies, std::vector<EDGE*>& list) {
  for (BODY* body : bodies) collect_edges(TPK::as_entity(body), list);
}
void collect_all(const std::vector<BODY*>& bodies, std::vector<VERTEX*>& list) {
  for (BODY* body : bodies) collect_vertices(TPK::as_entity(body), list);
}

namespace {

// The positions of the tagged entities holding a tag that agrees with one of the recipe's under
// `mode`, ascending.
std::vector<std::uint32_t> agreeing(const tag_info& recipe_tags,
                                    const std::vector<const tag_info*>& tags, int mode) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i < tags.size(); ++i) {
    if (tags[i] == nullptr) continue;
    int count = 0;
    recipe_tags.count_matches(*tags[i], mode, count);
    if (count >= 1) out.push_back(static_cast<std::uint32_t>(i));
  }
  return out;
}

template <class T>
std::vector<T*> search(const tag_info& recipe_tags, const std::vector<BODY*>& bodies) {
  // An empty recipe list matches no tag under either mode.
  if (recipe_tags.empty()) return {};
  std::vector<T*> entities;
  collect_all(bodies, entities);
  // The tags of each entity, looked up once for both passes (the model does not change between).
  std::vector<const tag_info*> tags(entities.size());
  for (std::size_t i = 0; i < entities.size(); ++i) {
    tags[i] = find_entity_tag_info(TPK::as_entity(entities[i]));
  }
  return apply_candidate_rule(recipe_tags, entities, tags,
                              agreeing(recipe_tags, tags, compare_exact),
                              [&] { return agreeing(recipe_tags, tags, compare_loose); });
}

template <class T>
std::vector<T*> find(const tag_info& recipe_tags, const MATCH_CONTEXT& ctx) {
  tag_index* index = ctx.get_tag_index();
  if (index != nullptr && index->bodies() == ctx.get_bodies()) {
    return index->candidates(recipe_tags, static_cast<T*>(nullptr));
  }
  return search<T>(recipe_tags, ctx.get_bodies());
}

}  // namespace

std::vector<FACE*> find_tag_candidates(const tag_info& recipe_tags, const MATCH_CONTEXT& ctx,
                                       FACE*) {
  return find<FACE>(recipe_tags, ctx);
}

std::vector<EDGE*> find_tag_candidates(const tag_info& recipe_tags, const MATCH_CONTEXT& ctx,
                                       EDGE*) {
  return find<EDGE>(recipe_tags, ctx);
}

std::vector<VERTEX*> find_tag_candidates(const tag_info& recipe_tags, const MATCH_CONTEXT& ctx,
                                         VERTEX*) {
  return find<VERTEX>(recipe_tags, ctx);
}

void collect_shared_edges(FACE* a, FACE* b, std::vector<EDGE*>& list) {
  std::vector<EDGE*> edges;
  collect_edges(TPK::as_entity(a), edges);
  std::vector<FACE*> faces;
  for (EDGE* edge : edges) {
    faces.clear();
    collect_faces(TPK::as_entity(edge), faces);
    for (FACE* face : faces) {
      if (face != a && face == b) list.push_back(edge);
    }
  }
}

}  // namespace TPI_TAGGING_TRACKING
