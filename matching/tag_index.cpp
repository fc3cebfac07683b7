#include <tagtrack/matching/tag_index.h>

#include <algorithm>
#include <map>
#include <utility>

#include <tagtrack/kernel/boundary/history.h>
#include <tagtrack/kernel/boundary/queries.h>
#include <tagtrack/tracking/internal/entity_lookup.h>

namespace TPI_TAGGING_TRACKING {

namespace {

using positions = std::vector<std::uint32_t>;

// The tag as loose comparison sees it: primary id and operation ids, the secondary id set aside.
tag_data loose_key(const tag_data& tag) {
  tag_data key(tag);
  key.m_secondary_id = 0;
  return key;
}

// Ascending, without repeats: the union of the position lists of `keys` found in `map`.
template <class Key>
positions gather(const std::map<tag_data, positions>& map, const tag_info& recipe_tags, Key key) {
  positions out;
  for (const tag_data& tag : recipe_tags) {
    const auto found = map.find(key(tag));
    if (found != map.end()) out.insert(out.end(), found->second.begin(), found->second.end());
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

// One kind of entity over the bodies, in the order the linear search enumerates them.
template <class T>
struct kind_index {
  bool built = false;
  std::vector<T*> entities;
  std::vector<const tag_info*> tags;
  std::map<tag_data, positions> exact;  // each tag -> the entities holding it
  std::map<tag_data, positions> loose;  // each loose key -> the entities holding it

  void build(const std::vector<BODY*>& bodies) {
    *this = kind_index();
    std::vector<T*> listed;
    for (BODY* body : bodies) {
      listed.clear();
      collect_all(body, listed);
      entities.insert(entities.end(), listed.begin(), listed.end());
    }
    tags.resize(entities.size());
    for (std::size_t i = 0; i < entities.size(); ++i) {
      const tag_info* own = tags[i] = find_entity_tag_info(TPK::as_entity(entities[i]));
      if (own == nullptr) continue;
      const auto at = static_cast<std::uint32_t>(i);
      for (const tag_data& tag : *own) {
        positions& holding = exact[tag];
        if (holding.empty() || holding.back() != at) holding.push_back(at);
        positions& loosely = loose[loose_key(tag)];
        if (loosely.empty() || loosely.back() != at) loosely.push_back(at);
      }
    }
    built = true;
  }

  static void collect_all(BODY* body, std::vector<FACE*>& list) {
    collect_faces(TPK::as_entity(body), list);
  }
  static void collect_all(BODY* body, std::vector<EDGE*>& list) {
    collect_edges(TPK::as_entity(body), list);
  }
  static void collect_all(BODY* body, std::vector<VERTEX*>& list) {
    collect_vertices(TPK::as_entity(body), list);
  }

  // The linear search's answer: exact matches if any, otherwise the partial matches followed by
  // every loose match, each in enumeration order.
  std::vector<T*> candidates(const tag_info& recipe_tags) const {
    if (recipe_tags.empty()) return {};
    const positions partial = gather(exact, recipe_tags, [](const tag_data& t) { return t; });
    std::vector<T*> result;
    for (const std::uint32_t p : partial) {
      int count = 0;
      recipe_tags.count_matches(*tags[p], compare_exact, count);
      if (count == static_cast<int>(recipe_tags.size()) &&
          count == static_cast<int>(tags[p]->size())) {
        result.push_back(entities[p]);
      }
    }
    if (!result.empty()) return result;
    for (const std::uint32_t p : partial) result.push_back(entities[p]);
    for (const std::uint32_t p : gather(loose, recipe_tags, loose_key)) {
      result.push_back(entities[p]);
    }
    return result;
  }
};

}  // namespace

struct tag_index::impl {
  std::vector<BODY*> bodies;
  std::uint64_t built_at = 0;
  kind_index<FACE> faces;
  kind_index<EDGE> edges;
  kind_index<VERTEX> vertices;

  template <class T>
  std::vector<T*> answer(kind_index<T>& kind, const tag_info& recipe_tags) {
    if (TPI_HISTORY::change_count() != built_at) {
      faces = kind_index<FACE>();
      edges = kind_index<EDGE>();
      vertices = kind_index<VERTEX>();
      built_at = TPI_HISTORY::change_count();
    }
    if (!kind.built) kind.build(bodies);
    return kind.candidates(recipe_tags);
  }
};

tag_index::tag_index(const std::vector<BODY*>& bodies) : m_impl(std::make_unique<impl>()) {
  m_impl->bodies = bodies;
  m_impl->built_at = TPI_HISTORY::change_count();
}

tag_index::~tag_index() = default;

const std::vector<BODY*>& tag_index::bodies() const {
  return m_impl->bodies;
}

bool tag_index::current() const {
  return TPI_HISTORY::change_count() == m_impl->built_at;
}

std::vector<FACE*> tag_index::candidates(const tag_info& recipe_tags, FACE*) {
  return m_impl->answer(m_impl->faces, recipe_tags);
}

std::vector<EDGE*> tag_index::candidates(const tag_info& recipe_tags, EDGE*) {
  return m_impl->answer(m_impl->edges, recipe_tags);
}

std::vector<VERTEX*> tag_index::candidates(const tag_info& recipe_tags, VERTEX*) {
  return m_impl->answer(m_impl->vertices, recipe_tags);
}

}  // namespace TPI_TAGGING_TRACKING
