#include "kernel/topology/topology.h"

#include <memory>

#include "kernel/history/history.h"
#include "kernel/internal/topology_editor.h"

BODY::~BODY() {
  for (FACE* face : m_faces) delete face;
  for (EDGE* edge : m_edges) delete edge;
  for (VERTEX* vertex : m_vertices) delete vertex;
}

FACE::~FACE() {
  for (LOOP* loop : m_loops) delete loop;
  delete m_surface;
}

BODY* LOOP::body() const { return m_face ? m_face->body() : nullptr; }

LOOP::~LOOP() {
  // Count first: the coedges' links die with them.
  std::size_t count = 0;
  for (COEDGE* c = m_first; c != nullptr && (count == 0 || c != m_first); c = c->next()) ++count;
  COEDGE* coedge = m_first;
  for (std::size_t i = 0; i < count; ++i) {
    COEDGE* next = coedge->next();
    delete coedge;
    coedge = next;
  }
}

BODY* COEDGE::body() const { return m_loop ? m_loop->body() : nullptr; }

COEDGE::~COEDGE() = default;

VERTEX* COEDGE::start() const { return m_reversed ? m_edge->end() : m_edge->start(); }
VERTEX* COEDGE::end() const { return m_reversed ? m_edge->start() : m_edge->end(); }

EDGE::~EDGE() { delete m_curve; }

VERTEX::~VERTEX() = default;

namespace tpk_detail {

namespace {
std::uint64_t g_mark = 0;

// Makes room for one more element with geometric growth, so that the push_back that follows cannot
// throw and a failed allocation leaves the model unchanged.
template <class Vector>
void room_for_one(Vector& v) {
  if (v.size() == v.capacity()) v.reserve(v.capacity() < 4 ? 4 : 2 * v.capacity());
}
}

std::uint64_t topology_editor::begin_marking() { return ++g_mark; }

BODY* topology_editor::new_body() {
  std::unique_ptr<BODY> body(new BODY());
  HISTORY_STREAM* stream = nullptr;
  TPI_HISTORY::get_default(stream, false);
  body->m_history = stream;
  return body.release();
}

VERTEX* topology_editor::new_vertex(BODY* body, const TPK::position& point) {
  room_for_one(body->m_vertices);
  VERTEX* vertex = new VERTEX();
  vertex->m_body = body;
  vertex->m_point = point;
  vertex->m_index = body->m_vertices.size();
  body->m_vertices.push_back(vertex);
  return vertex;
}

EDGE* topology_editor::new_edge(BODY* body, curve* geometry, VERTEX* start, VERTEX* end,
                                double t_start, double t_end) {
  std::unique_ptr<curve> owned(geometry);
  room_for_one(body->m_edges);
  room_for_one(start->m_edges);
  room_for_one(end->m_edges);
  EDGE* edge = new EDGE();
  edge->m_body = body;
  edge->m_curve = owned.release();
  edge->m_start = start;
  edge->m_end = end;
  edge->m_t_start = t_start;
  edge->m_t_end = t_end;
  edge->m_index = body->m_edges.size();
  body->m_edges.push_back(edge);
  start->m_edges.push_back(edge);
  if (end != start) end->m_edges.push_back(edge);
  return edge;
}

FACE* topology_editor::new_face(BODY* body, surface* geometry, bool reversed) {
  std::unique_ptr<surface> owned(geometry);
  room_for_one(body->m_faces);
  FACE* face = new FACE();
  face->m_body = body;
  face->m_surface = owned.release();
  face->m_reversed = reversed;
  face->m_index = body->m_faces.size();
  body->m_faces.push_back(face);
  return face;
}

LOOP* topology_editor::new_loop(FACE* face) {
  room_for_one(face->m_loops);
  LOOP* loop = new LOOP();
  loop->m_face = face;
  face->m_loops.push_back(loop);
  return loop;
}

COEDGE* topology_editor::append_coedge(LOOP* loop, EDGE* edge, bool reversed) {
  COEDGE* coedge = new COEDGE();
  coedge->m_loop = loop;
  coedge->m_edge = edge;
  coedge->m_reversed = reversed;
  if (loop->m_first == nullptr) {
    loop->m_first = coedge;
    coedge->m_next = coedge->m_previous = coedge;
  } else {
    COEDGE* last = loop->m_first->m_previous;
    coedge->m_previous = last;
    coedge->m_next = loop->m_first;
    last->m_next = coedge;
    loop->m_first->m_previous = coedge;
  }
  if (edge->m_coedge == nullptr) {
    edge->m_coedge = coedge;
  } else {
    // Insert at the end of the ring, so that the ring keeps the order of creation.
    COEDGE* first = edge->m_coedge;
    COEDGE* last = first;
    while (last->m_partner != nullptr && last->m_partner != first) last = last->m_partner;
    last->m_partner = coedge;
    coedge->m_partner = first;
  }
  return coedge;
}

void topology_editor::attach(ENTITY* owner, ATTRIB* attrib) {
  attrib->m_owner = owner;
  attrib->m_next = nullptr;
  if (owner->m_first_attrib == nullptr) {
    owner->m_first_attrib = attrib;
    return;
  }
  ATTRIB* last = owner->m_first_attrib;
  while (last->m_next != nullptr) last = last->m_next;
  last->m_next = attrib;
}

}  // namespace tpk_detail
