#include <tagtrack/matching/tag_index.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include <tagtrack/kernel/boundary/history.h>
#include <tagtrack/matching/internal/candidates.h>
#include <tagtrack/tracking/internal/entity_lookup.h>

namespace TPI_TAGGING_TRACKING {

namespace {

using positions = std::vector<std::uint32_t>;

// A tag's hash for the loose table (its primary id and operation ids: loose comparison sets the
// secondary id aside), and for the exact table the loose hash mixed with the secondary id. The
// primary id is taken eight bytes at a time.
std::uint64_t mix(std::uint64_t h, std::uint64_t word) {
  h ^= word;
  h *= 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}

std::uint64_t loose_hash(const tag_data& tag) {
  std::uint64_t h = mix(0x243F6A8885A308D3ull, tag.m_primary_id.size());
  const char* c = tag.m_primary_id.begin();
  std::size_t left = tag.m_primary_id.size();
  for (; left >= 8; left -= 8, c += 8) {
    std::uint64_t word;
    std::memcpy(&word, c, 8);
    h = mix(h, word);
  }
  if (left > 0) {
    std::uint64_t word = 0;
    std::memcpy(&word, c, left);
    h = mix(h, word);
  }
  for (const int id : tag.m_operation_ids) h = mix(h, static_cast<std::uint32_t>(id));
  return h;
}

std::uint64_t exact_hash(std::uint64_t loose, const tag_data& tag) {
  return mix(loose, 0x100000000ull | static_cast<std::uint32_t>(tag.m_secondary_id));
}

std::uint64_t hash_of(const tag_data& tag, bool with_secondary) {
  const std::uint64_t loose = loose_hash(tag);
  return with_secondary ? exact_hash(loose, tag) : loose;
}

// Positions of entities by the hash of their tags: bucket b holds, in ascending order, the
// entities with a tag hashing to b, in slots [start[b], start[b + 1]). Built by counting, in two
// passes over the tags, with no allocation per tag.
struct bucket_table {
  std::uint64_t mask = 0;
  std::vector<std::uint32_t> start;
  std::vector<std::uint32_t> slots;

  template <class Bucket>
  void build(std::size_t buckets, std::size_t entries, Bucket for_each_entry) {
    mask = buckets - 1;
    start.assign(buckets + 1, 0);
    for_each_entry([&](std::uint64_t h, std::uint32_t) { ++start[(h & mask) + 1]; });
    for (std::size_t b = 0; b < buckets; ++b) start[b + 1] += start[b];
    slots.resize(entries);
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    for_each_entry([&](std::uint64_t h, std::uint32_t at) { slots[next[h & mask]++] = at; });
  }

  template <class Visit>
  void visit(std::uint64_t h, Visit visit_position) const {
    if (start.empty()) return;
    const std::uint64_t b = h & mask;
    for (std::uint32_t k = start[b]; k < start[b + 1]; ++k) visit_position(slots[k]);
  }
};

// One kind of entity over the bodies, in the order the linear search enumerates them.
template <class T>
struct kind_index {
  bool built = false;
  std::vector<T*> entities;
  std::vector<const tag_info*> tags;
  bucket_table exact;  // by each tag
  bucket_table loose;  // by each tag's primary id and operation ids

  // One pass over the entities and their tags (the scattered reads), hashing each tag both ways;
  // the tables are then counted out of that contiguous list.
  void build(const std::vector<BODY*>& bodies) {
    *this = kind_index();
    collect_all(bodies, entities);
    tags.resize(entities.size());
    struct key {
      std::uint64_t exact, loose;
      std::uint32_t at;
    };
    std::vector<key> keys;
    keys.reserve(entities.size());
    for (std::size_t i = 0; i < entities.size(); ++i) {
      tags[i] = find_entity_tag_info(TPK::as_entity(entities[i]));
      if (tags[i] == nullptr) continue;
      for (const tag_data& tag : *tags[i]) {
        const std::uint64_t loose = loose_hash(tag);
        keys.push_back({exact_hash(loose, tag), loose, static_cast<std::uint32_t>(i)});
      }
    }
    std::size_t buckets = 16;
    while (2 * buckets < keys.size()) buckets *= 2;  // about two tags a bucket
    exact.build(buckets, keys.size(), [&](auto&& add) {
      for (const key& k : keys) add(k.exact, k.at);
    });
    loose.build(buckets, keys.size(), [&](auto&& add) {
      for (const key& k : keys) add(k.loose, k.at);
    });
    built = true;
  }

  // Ascending, without repeats: the entities holding a tag that agrees with one of the recipe's
  // under `mode` (the buckets narrow the search; the comparison decides).
  positions holding(const tag_info& recipe_tags, int mode) const {
    const bool exact_mode = mode == compare_exact;
    positions out;
    for (const tag_data& r : recipe_tags) {
      (exact_mode ? exact : loose).visit(hash_of(r, exact_mode), [&](std::uint32_t p) {
        for (const tag_data& t : *tags[p]) {
          if (t.matches(r, mode)) {
            out.push_back(p);
            return;
          }
        }
      });
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
  }

  // The linear search's answer, by the same rule.
  std::vector<T*> candidates(const tag_info& recipe_tags) const {
    if (recipe_tags.empty()) return {};
    return apply_candidate_rule(recipe_tags, entities, tags, holding(recipe_tags, compare_exact),
                                [&] { return holding(recipe_tags, compare_loose); });
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
