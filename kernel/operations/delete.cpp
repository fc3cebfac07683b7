#include <tagtrack/kernel/operations/delete.h>

#include <algorithm>
#include <string>
#include <vector>

#include <tagtrack/kernel/attributes/attrib.h>
#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/operations/change_statement.h>

using TPK::change_statement;
using tpk_detail::topology_editor;

namespace {

outcome refuse(const char* operation, const ENTITY* entity) {
  if (entity == nullptr) return outcome::failure(std::string(operation) + ": null entity");
  return outcome::failure(std::string(operation) + ": the " + entity->type_name() +
                          " was deleted already");
}

bool removable(const ENTITY* entity) {
  return entity != nullptr && entity->alive();
}

}  // namespace

namespace TPI_MODEL {

outcome delete_body(BODY* body) {
  if (!removable(body)) return refuse("delete_body", body);
  TPK::operation_scope scope;
  change_statement statement;
  tpk_detail::for_each_entity(body, [&](ENTITY* e) { statement.lost(e); });
  statement.announce();
  scope.commit();
  return outcome();
}

outcome delete_face(FACE* face) {
  if (!removable(face)) return refuse("delete_face", face);
  TPK::operation_scope scope;
  change_statement statement;
  statement.lost(face);
  std::vector<EDGE*> edges;
  for (LOOP* loop : face->loops()) {
    statement.lost(loop);
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) {
      statement.lost(c);
      EDGE* edge = c->edge();
      topology_editor::leave_ring(c);
      if (edge->coedge() == nullptr) edges.push_back(edge);
    });
  }
  std::vector<VERTEX*> vertices;
  for (EDGE* edge : edges) {
    statement.lost(edge);
    for (VERTEX* v : {edge->start(), edge->end()}) {
      TPK::kernel_vector<EDGE*> rest;
      for (EDGE* e : v->edges()) {
        if (e != edge) rest.push_back(e);
      }
      if (rest.size() != v->edges().size()) topology_editor::set_edges(v, rest);
      if (rest.empty() && std::find(vertices.begin(), vertices.end(), v) == vertices.end()) {
        vertices.push_back(v);
      }
    }
  }
  for (VERTEX* v : vertices) statement.lost(v);
  statement.announce();
  scope.commit();
  return outcome();
}

outcome delete_attrib(ATTRIB* attrib) {
  if (!removable(attrib)) return refuse("delete_attrib", attrib);
  TPK::operation_scope scope;
  // The attribute leaves the model as if with its owner: a custom attribute's definition hears
  // lose_owner first, so that whatever keeps track of the attribute can let it go.
  if (ATTRIB_CUSTOM* custom = attrib->as_custom(); custom != nullptr && custom->def() != nullptr) {
    custom->def()->lose_owner(TPI_CUSTOM_ENTITY::lose_owner_context(custom));
  }
  topology_editor::detach(attrib);
  topology_editor::kill(attrib);
  scope.commit();
  return outcome();
}

outcome delete_entity(ENTITY* entity) {
  if (entity == nullptr) return refuse("delete_entity", entity);
  switch (entity->kind()) {
    case entity_kind::body:
      return delete_body(static_cast<BODY*>(entity));
    case entity_kind::face:
      return delete_face(static_cast<FACE*>(entity));
    case entity_kind::attrib:
      return delete_attrib(static_cast<ATTRIB*>(entity));
    default:
      return outcome::failure(std::string("delete_entity: a ") + entity->type_name() +
                              " goes only with the faces that use it");
  }
}

}  // namespace TPI_MODEL
