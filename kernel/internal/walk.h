// Visits every entity of a body in kernel order: each face followed by its loops, each loop by its
// coedges from the first; then the edges; then the vertices; the body itself last.
#pragma once

#include "kernel/topology/topology.h"

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
