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

template <class T>
std::vector<T*> search(const tag_info& recipe_tags, const std::vector<BODY*>& bodies) {
  // An empty recipe list matches no tag under either mode.
  if (recipe_tags.empty()) return {};
  std::vector<T*> entities;
  collect_all(bodies, entities);
  // The tags of each entity, looked up once for both passes (the model does not change between).
  std::vector<const tag_info*> tags_of(entities.size());
  std::vector<T*> exact, partial;
  for (std::size_t i = 0; i < entities.size(); ++i) {
    const tag_info* tags = tags_of[i] = find_entity_tag_info(TPK::as_entity(entities[i]));
    if (tags == nullptr) continue;
    int count = 0;
    recipe_tags.count_matches(*tags, compare_exact, count);
    if (count == 0) continue;
    const bool same =
        count == static_cast<int>(recipe_tags.size()) && count == static_cast<int>(tags->size());
    (same ? exact : partial).push_back(entities[i]);
  }
  if (!exact.empty()) return exact;
  std::vector<T*> result = std::move(partial);
  for (std::size_t i = 0; i < entities.size(); ++i) {
    if (tags_of[i] == nullptr) continue;
    int count = 0;
    recipe_tags.count_matches(*tags_of[i], compare_loose, count);
    if (count >= 1) result.push_back(entities[i]);
  }
  return result;
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
