#include <tagtrack/tracking/internal/entity_lookup.h>

#include <typeinfo>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/kernel/boundary/queries.h>
#include <tagtrack/tagging/generic_tag_attrib_def.h>

namespace TPI_TAGGING_TRACKING {

tag_info* find_entity_tag_info(ENTITY* entity) {
  // The attributes one by one: no list is made for an entity visited.
  for (ATTRIB_CUSTOM* attrib = TPI_CUSTOM_ENTITY::next_custom_attrib(entity, nullptr);
       attrib != nullptr; attrib = TPI_CUSTOM_ENTITY::next_custom_attrib(entity, attrib)) {
    const TPI_CUSTOM_ENTITY::attrib_def* def = TPK::ATTRIB_CUSTOM_const_xs(attrib).get_def();
    if (def == nullptr) continue;
    // The exact class first: a cheap test that serves every attribute this library makes.
    if (typeid(*def) == typeid(generic_tag_attrib_def)) {
      return static_cast<const generic_tag_attrib_def*>(def)->get_tag_info();
    }
    if (const auto* tags = dynamic_cast<const generic_tag_attrib_def*>(def)) {
      return tags->get_tag_info();
    }
  }
  return nullptr;
}

namespace {

template <class T, class Query>
void collect(ENTITY* entity, std::vector<T*>& list, Query query) {
  TPK::tpk_array<T*> found;
  query(entity, found);
  if (found.empty()) return;
  list.insert(list.end(), found.begin(), found.end());
}

}  // namespace

void collect_faces(ENTITY* entity, std::vector<FACE*>& list) {
  collect(entity, list, TPI_QUERY::get_faces);
}

void collect_edges(ENTITY* entity, std::vector<EDGE*>& list) {
  collect(entity, list, TPI_QUERY::get_edges);
}

void collect_vertices(ENTITY* entity, std::vector<VERTEX*>& list) {
  collect(entity, list, TPI_QUERY::get_vertices);
}

}  // namespace TPI_TAGGING_TRACKING
