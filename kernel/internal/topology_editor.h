// The kernel's only way to change topology. Construction and modelling operations go through these
// functions, so that every change of a link is made in one place.
#pragma once

#include <cstdint>

#include "kernel/attributes/attrib.h"
#include "kernel/topology/topology.h"

namespace tpk_detail {

struct topology_editor {
  // A new empty body of the current default history stream.
  static BODY* new_body();
  // New entities joined to the end of the body's lists. The body owns them from here on, so a
  // failed construction is undone by deleting the body.
  static VERTEX* new_vertex(BODY* body, const TPK::position& point);
  // Takes ownership of `geometry`, also when it throws.
  static EDGE* new_edge(BODY* body, curve* geometry, VERTEX* start, VERTEX* end, double t_start,
                        double t_end);
  static FACE* new_face(BODY* body, surface* geometry, bool reversed);
  static LOOP* new_loop(FACE* face);
  // A new coedge at the end of the loop (after its last coedge) and in the edge's partner ring.
  static COEDGE* append_coedge(LOOP* loop, EDGE* edge, bool reversed);

  // Appends `attrib` to `owner`'s attribute list.
  static void attach(ENTITY* owner, ATTRIB* attrib);
  static ATTRIB_CUSTOM* new_custom_attrib() { return new ATTRIB_CUSTOM(); }
  static TPI_CUSTOM_ENTITY::attrib_def* exchange_def(ATTRIB_CUSTOM* attrib,
                                                     TPI_CUSTOM_ENTITY::attrib_def* def) {
    return attrib->exchange_def(def);
  }

  static void set_history(BODY* body, HISTORY_STREAM* stream) { body->m_history = stream; }
  static std::size_t index_of(const FACE* face) { return face->m_index; }

  // Scratch marks for the queries: begin_marking() gives a value no entity is marked with yet.
  static std::uint64_t begin_marking();
  static bool is_marked(const ENTITY* e, std::uint64_t mark) { return e->m_mark == mark; }
  static void mark(const ENTITY* e, std::uint64_t mark) { e->m_mark = mark; }
};

}  // namespace tpk_detail
