#include <tagtrack/kernel/topology/query.h>

#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/topology/ordered_faces.h>

using tpk_detail::topology_editor;

namespace {

template <class T, class Alloc>
void copy_all(const std::vector<T*, Alloc>& from, TPK::tpk_array<T*>& to) {
  to.clear();
  to.append(from.data(), from.data() + from.size());
}

// Calls `visit` for every coedge of the face's loops, loops in order, each from its first coedge.
template <class Visit>
void for_each_coedge(const FACE* face, Visit visit) {
  for (const LOOP* loop : face->loops()) tpk_detail::for_each_coedge_of(loop, visit);
}

outcome wrong_entity(const char* query, const ENTITY* entity) {
  return outcome::failure(std::string(query) + ": not defined on " +
                          (entity ? entity->type_name() : "a null entity"));
}

}  // namespace

namespace TPI_QUERY {

outcome get_faces(ENTITY* entity, TPK::tpk_array<FACE*>& faces) {
  faces.clear();
  if (entity == nullptr) return wrong_entity("get_faces", entity);
  switch (entity->kind()) {
    case entity_kind::body:
      copy_all(static_cast<BODY*>(entity)->faces(), faces);
      return outcome();
    case entity_kind::edge: {
      tpk_detail::for_each_coedge_of_edge(
          static_cast<EDGE*>(entity), [&](const COEDGE* c) { faces.push_back(c->loop()->face()); });
      return outcome();
    }
    case entity_kind::vertex: {
      TPI_ORDERED_FACES_ON_VERTEX fans(static_cast<VERTEX*>(entity));
      fans.compute();
      const std::uint64_t mark = topology_editor::begin_marking();
      TPK::tpk_array<FACE*> fan;
      fan_type type;
      for (std::uint64_t i = 0; i < fans.get_num_fans(); ++i) {
        fans.get_fan(i, type, fan);
        for (FACE* face : fan) {
          if (topology_editor::is_marked(face, mark)) continue;
          topology_editor::mark(face, mark);
          faces.push_back(face);
        }
      }
      return outcome();
    }
    default:
      return wrong_entity("get_faces", entity);
  }
}

outcome get_edges(ENTITY* entity, TPK::tpk_array<EDGE*>& edges) {
  edges.clear();
  if (entity == nullptr) return wrong_entity("get_edges", entity);
  switch (entity->kind()) {
    case entity_kind::body:
      copy_all(static_cast<BODY*>(entity)->edges(), edges);
      return outcome();
    case entity_kind::face: {
      const std::uint64_t mark = topology_editor::begin_marking();
      for_each_coedge(static_cast<FACE*>(entity), [&](const COEDGE* c) {
        if (topology_editor::is_marked(c->edge(), mark)) return;
        topology_editor::mark(c->edge(), mark);
        edges.push_back(c->edge());
      });
      return outcome();
    }
    case entity_kind::vertex:
      copy_all(static_cast<VERTEX*>(entity)->edges(), edges);
      return outcome();
    default:
      return wrong_entity("get_edges", entity);
  }
}

outcome get_vertices(ENTITY* entity, TPK::tpk_array<VERTEX*>& vertices) {
  vertices.clear();
  if (entity == nullptr) return wrong_entity("get_vertices", entity);
  switch (entity->kind()) {
    case entity_kind::body:
      copy_all(static_cast<BODY*>(entity)->vertices(), vertices);
      return outcome();
    case entity_kind::face: {
      const std::uint64_t mark = topology_editor::begin_marking();
      for_each_coedge(static_cast<FACE*>(entity), [&](const COEDGE* c) {
        VERTEX* v = c->start();
        if (topology_editor::is_marked(v, mark)) return;
        topology_editor::mark(v, mark);
        vertices.push_back(v);
      });
      return outcome();
    }
    case entity_kind::edge: {
      const EDGE* edge = static_cast<EDGE*>(entity);
      vertices.push_back(edge->start());
      if (!edge->closed()) vertices.push_back(edge->end());
      return outcome();
    }
    default:
      return wrong_entity("get_vertices", entity);
  }
}

outcome get_point(const VERTEX* vertex, TPK::position& point) {
  if (vertex == nullptr) return outcome::failure("get_point: null vertex");
  point = vertex->point();
  return outcome();
}

}  // namespace TPI_QUERY

namespace TPK {

const surface* FACE_const_xs::geometry() const {
  return m_face ? m_face->geometry() : nullptr;
}

bool FACE_const_xs::is_planar() const {
  return m_face != nullptr && m_face->geometry() != nullptr && m_face->geometry()->planar();
}

bool surface_const_xs::param(const position& p, par_pos& uv, const par_pos* guess) const {
  return m_surface != nullptr && m_surface->param(p, uv, guess);
}

}  // namespace TPK
