#include <tagtrack/kernel/internal/topology_editor.h>

#include <memory>
#include <utility>

#include <tagtrack/kernel/history/history.h>

namespace tpk_detail {

namespace {

std::uint64_t g_mark = 0;

// Makes room for one more element with geometric growth, so that the push_back that follows cannot
// throw. Lists never shrink, which is what lets the history put an element back without
// allocating.
template <class Vector>
void room_for_one(Vector& v) {
  if (v.size() == v.capacity()) v.reserve(v.capacity() < 4 ? 4 : 2 * v.capacity());
}

void notify_roll(ENTITY* entity, TPI_CUSTOM_ENTITY::ROLL_NOTIFY_TYPE type) noexcept {
  if (entity->kind() != entity_kind::attrib) return;
  ATTRIB_CUSTOM* attrib = static_cast<ATTRIB*>(entity)->as_custom();
  if (attrib == nullptr || attrib->def() == nullptr) return;
  try {
    attrib->def()->roll_notify(TPI_CUSTOM_ENTITY::roll_notify_context(attrib, type));
  } catch (...) {
    // A roll must complete: a definition that fails to hear of it is left to its own devices.
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Records.

template <class E>
struct topology_editor::links_record final : journal_record {
  explicit links_record(E* entity) : entity(entity), base(entity->m_base), links(entity->m_links) {}
  void swap_state() noexcept {
    std::swap(entity->m_base, base);
    std::swap(entity->m_links, links);
  }
  void undo() noexcept override { swap_state(); }
  void redo() noexcept override { swap_state(); }
  void discard(bool) noexcept override {}

  E* entity;
  ENTITY::base_links base;
  typename E::links links;
};

struct topology_editor::geometry_record final : journal_record {
  geometry_record(FACE* face, surface* previous) : face(face), previous_surface(previous) {}
  geometry_record(EDGE* edge, curve* previous) : edge(edge), previous_curve(previous) {}
  void swap_state() noexcept {
    if (face != nullptr) std::swap(face->m_surface, previous_surface);
    if (edge != nullptr) std::swap(edge->m_curve, previous_curve);
  }
  void undo() noexcept override { swap_state(); }
  void redo() noexcept override { swap_state(); }
  void discard(bool) noexcept override {
    delete previous_surface;
    delete previous_curve;
  }

  FACE* face = nullptr;
  EDGE* edge = nullptr;
  surface* previous_surface = nullptr;
  curve* previous_curve = nullptr;
};

struct topology_editor::definition_record final : journal_record {
  explicit definition_record(ATTRIB_CUSTOM* attrib) : attrib(attrib) {}
  void swap_state() noexcept {
    notify_roll(attrib, TPI_CUSTOM_ENTITY::ROLL_NOTIFY_LEAVING);
    if (attrib->m_def != nullptr) attrib->m_def->m_attrib = nullptr;
    std::swap(attrib->m_def, other);
    if (attrib->m_def != nullptr) attrib->m_def->m_attrib = attrib;
    notify_roll(attrib, TPI_CUSTOM_ENTITY::ROLL_NOTIFY_RETURNED);
  }
  void undo() noexcept override { swap_state(); }
  void redo() noexcept override { swap_state(); }
  void discard(bool) noexcept override {
    if (other == nullptr) return;
    other->destroy();
    delete other;
  }

  ATTRIB_CUSTOM* attrib;
  TPI_CUSTOM_ENTITY::attrib_def* other = nullptr;  // the definition not in the attribute now
};

struct topology_editor::life_record final : journal_record {
  life_record(ENTITY* entity, bool born) : entity(entity), born(born) {}
  void set_alive(bool alive) noexcept {
    if (!alive) notify_roll(entity, TPI_CUSTOM_ENTITY::ROLL_NOTIFY_LEAVING);
    entity->m_alive = alive;
    if (entity->kind() == entity_kind::body) {
      auto* body = static_cast<BODY*>(entity);
      std::size_t& live = log_of(body->m_history).live_bodies();
      live = alive ? live + 1 : live - 1;
    }
    if (alive) notify_roll(entity, TPI_CUSTOM_ENTITY::ROLL_NOTIFY_RETURNED);
  }
  void undo() noexcept override { set_alive(!born); }
  void redo() noexcept override { set_alive(born); }
  void discard(bool applied) noexcept override {
    if (born != applied) free_entity(entity);
  }

  ENTITY* entity;
  bool born;
};

// Insertion at the end of a body's list, or removal at an index (the last element moves there).
struct topology_editor::list_record final : journal_record {
  // `item` must name its body when the record is made: the record keeps that body, since an
  // entity moved between bodies names another one when the record is replayed.
  list_record(ENTITY* item, bool insert, std::size_t index)
      : item(item), body(item->body()), insert(insert), index(index) {}

  template <class E>
  static void apply(TPK::kernel_vector<E*>& list, E* item, bool insert, std::size_t index) {
    if (insert) {
      item->m_index = list.size();
      list.push_back(item);
    } else {
      E* last = list.back();
      list[index] = last;
      last->m_index = index;
      list.pop_back();
    }
  }
  template <class E>
  static void revert(TPK::kernel_vector<E*>& list, E* item, bool insert, std::size_t index) {
    if (insert) {
      list.pop_back();
    } else {
      list.push_back(item);  // within capacity: the list never shrinks
      std::swap(list[index], list.back());
      list[index]->m_index = index;
      list.back()->m_index = list.size() - 1;
    }
  }
  void act(bool forward) noexcept {
    switch (item->kind()) {
      case entity_kind::face:
        forward ? apply(body->m_faces, static_cast<FACE*>(item), insert, index)
                : revert(body->m_faces, static_cast<FACE*>(item), insert, index);
        break;
      case entity_kind::edge:
        forward ? apply(body->m_edges, static_cast<EDGE*>(item), insert, index)
                : revert(body->m_edges, static_cast<EDGE*>(item), insert, index);
        break;
      case entity_kind::vertex:
        forward ? apply(body->m_vertices, static_cast<VERTEX*>(item), insert, index)
                : revert(body->m_vertices, static_cast<VERTEX*>(item), insert, index);
        break;
      default:
        break;
    }
  }
  void undo() noexcept override { act(false); }
  void redo() noexcept override { act(true); }
  void discard(bool) noexcept override {}

  ENTITY* item;
  BODY* body;
  bool insert;
  std::size_t index;
};

// ---------------------------------------------------------------------------------------------
// Creation and deletion.

namespace {

struct entity_deleter {
  void operator()(ENTITY* e) const noexcept { topology_editor::free_entity(e); }
};
template <class E>
using owned = std::unique_ptr<E, entity_deleter>;

}  // namespace

void topology_editor::free_entity(ENTITY* entity) noexcept {
  delete entity;
}

namespace {

// Records the birth of `entity` (freed here if recording fails) and gives it to the model.
template <class E>
E* give_birth(owned<E> entity) {
  stream_log& log = recording_log();
  log.record(std::make_unique<topology_editor::life_record>(entity.get(), true));
  // Its links need no saving during this operation: undoing the birth retires them with it.
  E* born = entity.release();
  topology_editor::stamp(born, log.serial());
  return born;
}

// Adds a newborn face, edge or vertex at the end of its body's list.
template <class E>
void join_list(TPK::kernel_vector<E*>& list, E* item) {
  room_for_one(list);
  recording_log().record(std::make_unique<topology_editor::list_record>(item, true, list.size()));
  topology_editor::list_record::apply(list, item, true, 0);
}

}  // namespace

void topology_editor::stamp(ENTITY* entity, std::uint64_t serial) {
  entity->m_backup_stamp = serial;
}

BODY* topology_editor::new_body() {
  HISTORY_STREAM* stream = nullptr;
  TPI_HISTORY::get_default(stream, false);
  owned<BODY> body(new BODY());
  body->m_history = stream;
  BODY* born = give_birth(std::move(body));
  ++log_of(stream).live_bodies();
  return born;
}

VERTEX* topology_editor::new_vertex(BODY* body, const TPK::position& point) {
  owned<VERTEX> vertex(new VERTEX());
  vertex->m_links.body = body;
  vertex->m_links.point = point;
  VERTEX* born = give_birth(std::move(vertex));
  join_list(body->m_vertices, born);
  return born;
}

EDGE* topology_editor::new_edge(BODY* body, curve* geometry, VERTEX* start, VERTEX* end,
                                double t_start, double t_end) {
  std::unique_ptr<curve> owned_curve(geometry);
  owned<EDGE> edge(new EDGE());
  edge->m_curve = owned_curve.release();
  edge->m_links = {body, start, end, t_start, t_end, nullptr};
  EDGE* born = give_birth(std::move(edge));
  join_list(body->m_edges, born);
  TPK::kernel_vector<EDGE*> at_start = start->edges();
  at_start.push_back(born);
  set_edges(start, at_start);
  if (end != start) {
    TPK::kernel_vector<EDGE*> at_end = end->edges();
    at_end.push_back(born);
    set_edges(end, at_end);
  }
  return born;
}

EDGE* topology_editor::new_detached_edge(const EDGE* like) {
  owned<EDGE> edge(new EDGE());
  edge->m_curve = like->geometry()->copy();
  edge->m_links = like->m_links;
  edge->m_links.coedge = nullptr;
  EDGE* born = give_birth(std::move(edge));
  join_list(like->body()->m_edges, born);
  return born;
}

FACE* topology_editor::new_face(BODY* body, surface* geometry, bool reversed) {
  std::unique_ptr<surface> owned_surface(geometry);
  owned<FACE> face(new FACE());
  face->m_surface = owned_surface.release();
  face->m_links.body = body;
  face->m_links.reversed = reversed;
  FACE* born = give_birth(std::move(face));
  join_list(body->m_faces, born);
  return born;
}

LOOP* topology_editor::new_loop(FACE* face) {
  owned<LOOP> loop(new LOOP());
  loop->m_links.face = face;
  LOOP* born = give_birth(std::move(loop));
  TPK::kernel_vector<LOOP*> loops = face->loops();
  loops.push_back(born);
  set_loops(face, loops);
  return born;
}

namespace {

// Adds `coedge` at the end of its edge's partner ring.
void join_ring(COEDGE* coedge, EDGE* edge) {
  COEDGE* first = edge->coedge();
  if (first == nullptr) {
    topology_editor::set_coedge(edge, coedge);
    return;
  }
  COEDGE* last = first;
  while (last->partner() != nullptr && last->partner() != first) last = last->partner();
  topology_editor::set_partner(last, coedge);
  topology_editor::set_partner(coedge, first);
}

}  // namespace

COEDGE* topology_editor::append_coedge(LOOP* loop, EDGE* edge, bool reversed) {
  owned<COEDGE> made(new COEDGE());
  made->m_links.loop = loop;
  made->m_links.edge = edge;
  made->m_links.reversed = reversed;
  COEDGE* coedge = give_birth(std::move(made));
  if (loop->first() == nullptr) {
    set_first(loop, coedge);
    set_next(coedge, coedge);
  } else {
    COEDGE* last = loop->first()->previous();
    set_next(last, coedge);
    set_next(coedge, loop->first());
  }
  join_ring(coedge, edge);
  return coedge;
}

COEDGE* topology_editor::insert_coedge_after(COEDGE* after, EDGE* edge, bool reversed) {
  owned<COEDGE> made(new COEDGE());
  made->m_links.loop = after->loop();
  made->m_links.edge = edge;
  made->m_links.reversed = reversed;
  COEDGE* coedge = give_birth(std::move(made));
  COEDGE* next = after->next();
  set_next(after, coedge);
  set_next(coedge, next);
  join_ring(coedge, edge);
  return coedge;
}

void topology_editor::kill(ENTITY* entity) {
  stream_log& log = recording_log();
  auto death = std::make_unique<life_record>(entity, false);
  std::unique_ptr<list_record> removal;
  std::size_t index = 0;
  switch (entity->kind()) {
    case entity_kind::face:
      index = static_cast<FACE*>(entity)->m_index;
      break;
    case entity_kind::edge:
      index = static_cast<EDGE*>(entity)->m_index;
      break;
    case entity_kind::vertex:
      index = static_cast<VERTEX*>(entity)->m_index;
      break;
    default:
      break;
  }
  const bool listed = entity->kind() == entity_kind::face || entity->kind() == entity_kind::edge ||
                      entity->kind() == entity_kind::vertex;
  if (listed) removal = std::make_unique<list_record>(entity, false, index);
  log.record(std::move(death));
  entity->m_alive = false;
  if (entity->kind() == entity_kind::body) {
    --log_of(static_cast<BODY*>(entity)->m_history).live_bodies();
  }
  if (removal) {
    list_record* r = removal.get();
    log.record(std::move(removal));
    r->redo();
  }
}

// Out of the old body's list, relinked, and into the new body's list.
template <class E>
void topology_editor::move_between_lists(E* entity, BODY* body, TPK::kernel_vector<E*>& to) {
  room_for_one(to);
  stream_log& log = recording_log();
  auto removal = std::make_unique<list_record>(entity, false, entity->m_index);
  list_record* r = removal.get();
  log.record(std::move(removal));
  r->redo();
  touch(entity);
  entity->m_links.body = body;
  join_list(to, entity);
}

void topology_editor::move_to(ENTITY* entity, BODY* body) {
  if (entity->body() == body) return;
  switch (entity->kind()) {
    case entity_kind::face:
      move_between_lists(static_cast<FACE*>(entity), body, body->m_faces);
      break;
    case entity_kind::edge:
      move_between_lists(static_cast<EDGE*>(entity), body, body->m_edges);
      break;
    case entity_kind::vertex:
      move_between_lists(static_cast<VERTEX*>(entity), body, body->m_vertices);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// Links.

void topology_editor::touch(ENTITY* entity) {
  stream_log& log = recording_log();
  if (entity->m_backup_stamp == log.serial()) return;
  std::unique_ptr<journal_record> saved;
  switch (entity->kind()) {
    case entity_kind::body:
      saved = std::make_unique<links_record<BODY>>(static_cast<BODY*>(entity));
      break;
    case entity_kind::face:
      saved = std::make_unique<links_record<FACE>>(static_cast<FACE*>(entity));
      break;
    case entity_kind::loop:
      saved = std::make_unique<links_record<LOOP>>(static_cast<LOOP*>(entity));
      break;
    case entity_kind::coedge:
      saved = std::make_unique<links_record<COEDGE>>(static_cast<COEDGE*>(entity));
      break;
    case entity_kind::edge:
      saved = std::make_unique<links_record<EDGE>>(static_cast<EDGE*>(entity));
      break;
    case entity_kind::vertex:
      saved = std::make_unique<links_record<VERTEX>>(static_cast<VERTEX*>(entity));
      break;
    case entity_kind::attrib:
      saved = std::make_unique<links_record<ATTRIB>>(static_cast<ATTRIB*>(entity));
      break;
  }
  log.record(std::move(saved));
  entity->m_backup_stamp = log.serial();
}

void topology_editor::set_next(COEDGE* coedge, COEDGE* next) {
  touch(coedge);
  touch(next);
  coedge->m_links.next = next;
  next->m_links.previous = coedge;
}

void topology_editor::set_partner(COEDGE* coedge, COEDGE* partner) {
  touch(coedge);
  coedge->m_links.partner = partner;
}

void topology_editor::set_loop(COEDGE* coedge, LOOP* loop) {
  touch(coedge);
  coedge->m_links.loop = loop;
}

void topology_editor::set_edge(COEDGE* coedge, EDGE* edge, bool reversed) {
  touch(coedge);
  coedge->m_links.edge = edge;
  coedge->m_links.reversed = reversed;
}

void topology_editor::set_first(LOOP* loop, COEDGE* first) {
  touch(loop);
  loop->m_links.first = first;
}

void topology_editor::set_loops(FACE* face, const TPK::kernel_vector<LOOP*>& loops) {
  TPK::kernel_vector<LOOP*> copy(loops);
  touch(face);
  face->m_links.loops.swap(copy);
}

void topology_editor::set_reversed(FACE* face, bool reversed) {
  touch(face);
  face->m_links.reversed = reversed;
}

void topology_editor::set_ends(EDGE* edge, VERTEX* start, VERTEX* end, double t_start,
                               double t_end) {
  touch(edge);
  edge->m_links.start = start;
  edge->m_links.end = end;
  edge->m_links.t_start = t_start;
  edge->m_links.t_end = t_end;
}

void topology_editor::set_coedge(EDGE* edge, COEDGE* coedge) {
  touch(edge);
  edge->m_links.coedge = coedge;
}

void topology_editor::set_point(VERTEX* vertex, const TPK::position& point) {
  touch(vertex);
  vertex->m_links.point = point;
}

void topology_editor::set_edges(VERTEX* vertex, const TPK::kernel_vector<EDGE*>& edges) {
  TPK::kernel_vector<EDGE*> copy(edges);
  touch(vertex);
  vertex->m_links.edges.swap(copy);
}

void topology_editor::leave_ring(COEDGE* coedge) {
  EDGE* edge = coedge->edge();
  COEDGE* partner = coedge->partner();
  if (partner == nullptr) {
    if (edge->coedge() == coedge) set_coedge(edge, nullptr);
    return;
  }
  COEDGE* before = partner;
  while (before->partner() != coedge) before = before->partner();
  // A ring of two becomes a single coedge without partner.
  set_partner(before, before == partner ? nullptr : partner);
  set_partner(coedge, nullptr);
  if (edge->coedge() == coedge) set_coedge(edge, partner);
}

// ---------------------------------------------------------------------------------------------
// Geometry.

void topology_editor::replace_surface(FACE* face, surface* geometry) {
  std::unique_ptr<surface> owned_surface(geometry);
  auto record = std::make_unique<geometry_record>(face, nullptr);
  geometry_record* r = record.get();
  recording_log().record(std::move(record));
  r->previous_surface = owned_surface.release();
  r->swap_state();
}

void topology_editor::replace_curve(EDGE* edge, curve* geometry) {
  std::unique_ptr<curve> owned_curve(geometry);
  auto record = std::make_unique<geometry_record>(edge, nullptr);
  geometry_record* r = record.get();
  recording_log().record(std::move(record));
  r->previous_curve = owned_curve.release();
  r->swap_state();
}

// ---------------------------------------------------------------------------------------------
// Attributes.

ATTRIB_CUSTOM* topology_editor::new_custom_attrib(ENTITY* owner) {
  owned<ATTRIB_CUSTOM> made(new ATTRIB_CUSTOM());
  made->m_links.owner = owner;
  ATTRIB_CUSTOM* attrib = give_birth(std::move(made));
  ATTRIB* last = owner->first_attrib();
  if (last == nullptr) {
    touch(owner);
    owner->m_base.first_attrib = attrib;
  } else {
    while (last->next() != nullptr) last = last->next();
    touch(last);
    last->m_links.next = attrib;
  }
  return attrib;
}

void topology_editor::detach(ATTRIB* attrib) {
  ENTITY* owner = attrib->owner();
  if (owner == nullptr) return;
  if (owner->first_attrib() == attrib) {
    touch(owner);
    owner->m_base.first_attrib = attrib->next();
  } else {
    ATTRIB* before = owner->first_attrib();
    while (before != nullptr && before->next() != attrib) before = before->next();
    if (before != nullptr) {
      touch(before);
      before->m_links.next = attrib->next();
    }
  }
  touch(attrib);
  attrib->m_links.next = nullptr;
}

void topology_editor::install_def(ATTRIB_CUSTOM* attrib,
                                  TPI_CUSTOM_ENTITY::attrib_def* def) noexcept {
  if (attrib->m_def != nullptr && attrib->m_def != def) attrib->m_def->m_attrib = nullptr;
  attrib->m_def = def;
  if (def != nullptr) def->m_attrib = attrib;
}

std::unique_ptr<journal_record> topology_editor::prepare_definition_change(ATTRIB_CUSTOM* attrib) {
  auto record = std::make_unique<definition_record>(attrib);
  recording_log().reserve_one();
  return record;
}

void topology_editor::commit_definition_change(std::unique_ptr<journal_record> change,
                                               TPI_CUSTOM_ENTITY::attrib_def* previous) noexcept {
  static_cast<definition_record*>(change.get())->other = previous;
  recording_log().record(std::move(change));  // room was made by prepare_definition_change
}

void topology_editor::exchange_def(ATTRIB_CUSTOM* attrib, TPI_CUSTOM_ENTITY::attrib_def* def) {
  std::unique_ptr<TPI_CUSTOM_ENTITY::attrib_def> owned_def(def);
  auto change = prepare_definition_change(attrib);
  TPI_CUSTOM_ENTITY::attrib_def* previous = attrib->m_def;
  install_def(attrib, owned_def.release());
  commit_definition_change(std::move(change), previous);
}

std::uint64_t topology_editor::begin_marking() {
  return ++g_mark;
}

}  // namespace tpk_detail
