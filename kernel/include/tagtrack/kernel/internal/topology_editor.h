// The kernel's only way to change a model. Construction, modelling operations, attribute changes
// and model files all go through these functions, and each records its change in the history
// before making it, so that the change can be rolled back, rolled forward, or aborted when the
// operation around it fails.
//
// Rules the callers keep: run inside a TPK::operation_scope; call touch(e) before changing
// any link of an existing entity e (the setters below do it themselves).
#pragma once

#include <cstdint>
#include <memory>

#include <tagtrack/kernel/attributes/attrib.h>
#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/operations/change_statement.h>
#include <tagtrack/kernel/topology/topology.h>

namespace tpk_detail {

struct topology_editor {
  // --- creation: each new entity is recorded as born and owned by the model and its history.
  // A new empty body of the current default history stream.
  static BODY* new_body();
  // New entities joined to the end of the body's lists.
  static VERTEX* new_vertex(BODY* body, const TPK::position& point);
  // Takes ownership of `geometry`, also when it throws. Adds the edge to its vertices' lists.
  static EDGE* new_edge(BODY* body, curve* geometry, VERTEX* start, VERTEX* end, double t_start,
                        double t_end);
  static FACE* new_face(BODY* body, surface* geometry, bool reversed);
  // A new edge like `like` (its body, curve, ends and range) that its vertices do not list and no
  // coedge uses: a piece that lives only within one operation.
  static EDGE* new_detached_edge(const EDGE* like);
  static LOOP* new_loop(FACE* face);
  // A new coedge at the end of the loop (after its last coedge) and in the edge's partner ring.
  static COEDGE* append_coedge(LOOP* loop, EDGE* edge, bool reversed);
  // A new coedge of `edge` in `after`'s loop, right after it, and in the edge's partner ring.
  static COEDGE* insert_coedge_after(COEDGE* after, EDGE* edge, bool reversed);

  // --- deletion: the entity leaves the model (its body's list, for faces, edges and vertices)
  // and stays in the history. Links of other entities to it must be cut by the caller.
  static void kill(ENTITY* entity);

  // Moves a face, edge or vertex into `body`'s list (out of its own body's); its links to other
  // entities stay as they are.
  static void move_to(ENTITY* entity, BODY* body);
  template <class E>
  static void move_between_lists(E* entity, BODY* body, TPK::kernel_vector<E*>& to);

  // --- links. Each setter saves the entity's links first.
  static void touch(ENTITY* entity);
  static void set_next(COEDGE* coedge, COEDGE* next);  // also sets next's previous
  static void set_partner(COEDGE* coedge, COEDGE* partner);
  static void set_loop(COEDGE* coedge, LOOP* loop);
  static void set_edge(COEDGE* coedge, EDGE* edge, bool reversed);
  static void set_first(LOOP* loop, COEDGE* first);
  static void set_loops(FACE* face, const TPK::kernel_vector<LOOP*>& loops);
  static void set_reversed(FACE* face, bool reversed);
  static void set_ends(EDGE* edge, VERTEX* start, VERTEX* end, double t_start, double t_end);
  static void set_coedge(EDGE* edge, COEDGE* coedge);
  static void set_point(VERTEX* vertex, const TPK::position& point);
  static void set_edges(VERTEX* vertex, const TPK::kernel_vector<EDGE*>& edges);
  // Unlinks `coedge` from its edge's partner ring (making another coedge the edge's first).
  static void leave_ring(COEDGE* coedge);

  // --- geometry: replaced, never changed in place; the history keeps the one replaced.
  static void replace_surface(FACE* face, surface* geometry);
  static void replace_curve(EDGE* edge, curve* geometry);

  // --- attributes.
  static ATTRIB_CUSTOM* new_custom_attrib(ENTITY* owner);  // born, attached at the end
  static void detach(ATTRIB* attrib);                      // out of its owner's list
  // Puts `def` in the attribute without recording: for an attribute born in the current
  // operation, or right before commit_definition_change records the change. Owned from here on.
  static void install_def(ATTRIB_CUSTOM* newborn, TPI_CUSTOM_ENTITY::attrib_def* def) noexcept;
  // A change of an attribute's definition is recorded in two steps, so that the change itself
  // happens between a step that may throw and one that cannot: prepare_definition_change makes
  // room in the history; commit_definition_change records that the attribute held `previous`
  // (now owned by the history) before its current definition.
  static std::unique_ptr<journal_record> prepare_definition_change(ATTRIB_CUSTOM* attrib);
  static void commit_definition_change(std::unique_ptr<journal_record> change,
                                       TPI_CUSTOM_ENTITY::attrib_def* previous) noexcept;
  // Installs `def` in place of the attribute's definition, which the history keeps.
  static void exchange_def(ATTRIB_CUSTOM* attrib, TPI_CUSTOM_ENTITY::attrib_def* def);

  static void set_history(BODY* body, HISTORY_STREAM* stream) { body->m_history = stream; }
  static std::size_t index_of(const FACE* face) { return face->m_index; }
  static std::size_t index_of(const EDGE* edge) { return edge->m_index; }
  static std::size_t index_of(const VERTEX* vertex) { return vertex->m_index; }

  // Scratch marks for the queries: begin_marking() gives a value no entity is marked with yet.
  static std::uint64_t begin_marking();
  static bool is_marked(const ENTITY* e, std::uint64_t mark) { return e->m_mark == mark; }
  static void mark(const ENTITY* e, std::uint64_t mark) { e->m_mark = mark; }

  // Marks an entity's links as saved in the history's current operation.
  static void stamp(ENTITY* entity, std::uint64_t serial);
  // Frees an entity for good: only the history does this, once nothing can bring it back.
  static void free_entity(ENTITY* entity) noexcept;

  template <class E>
  struct links_record;
  struct geometry_record;
  struct definition_record;
  struct life_record;
  struct list_record;
};

}  // namespace tpk_detail
