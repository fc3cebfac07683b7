// Walks over the kernel's topology in kernel order: a loop's coedges, an edge's partner ring, and
// every entity of a body.
#pragma once

#include <vector>

#include <tagtrack/kernel/topology/topology.h>

namespace tpk_detail {

template <class Visit>
void for_each_coedge_of(const LOOP* loop, Visit&& visit) {
  COEDGE* first = loop->first();
  if (first == nullptr) return;
  COEDGE* c = first;
  do {
    COEDGE* next = c->next();
    visit(c);
    c = next;
  } while (c != nullptr && c != first);
}

// Visits the coedges of an edge's partner ring, from the edge's own coedge on, each once; a ring
// left open (a coedge without a partner) ends there. The next member is read before `visit` runs.
template <class Visit>
void for_each_coedge_of_edge(const EDGE* edge, Visit&& visit) {
  COEDGE* first = edge->coedge();
  for (COEDGE* c = first; c != nullptr;) {
    COEDGE* next = c->partner();
    visit(c);
    c = next;
    if (c == first) break;
  }
}

// The partner ring of an edge in the order for_each_coedge_of_edge visits it.
inline std::vector<COEDGE*> ring_of(const EDGE* edge) {
  std::vector<COEDGE*> ring;
  for_each_coedge_of_edge(edge, [&](COEDGE* c) { ring.push_back(c); });
  return ring;
}

// Visits every entity of a body in kernel order: each face followed by its loops, each loop by its
// coedges from the first; then the edges; then the vertices; the body itself last.
template <class Visit>
void for_each_entity(BODY* body, Visit&& visit) {
  for (FACE* face : body->faces()) {
    visit(static_cast<ENTITY*>(face));
    for (LOOP* loop : face->loops()) {
      visit(static_cast<ENTITY*>(loop));
      for_each_coedge_of(loop, [&](COEDGE* c) { visit(static_cast<ENTITY*>(c)); });
    }
  }
  for (EDGE* edge : body->edges()) visit(static_cast<ENTITY*>(edge));
  for (VERTEX* vertex : body->vertices()) visit(static_cast<ENTITY*>(vertex));
  visit(static_cast<ENTITY*>(body));
}

}  // namespace tpk_detail
