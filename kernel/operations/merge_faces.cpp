#include <tagtrack/kernel/operations/merge_faces.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <tagtrack/kernel/geometry/outside.h>
#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/operations/change_statement.h>

using tpk_detail::topology_editor;

namespace {

bool equal_surfaces(const surface* a, const surface* b) {
  if (a->kind() != b->kind()) return false;
  if (a->kind() == surface_kind::outside) {
    return static_cast<const TPK::outside_surface*>(a)->same_surface(*b);
  }
  double da[16], db[16];
  a->get_data(da);
  b->get_data(db);
  if (a->kind() == surface_kind::plane) {
    // Planes are equal when their normals agree and each origin lies on the other.
    const TPK::vector3 na{da[3], da[4], da[5]}, nb{db[3], db[4], db[5]};
    const TPK::position ob{db[0], db[1], db[2]}, oa{da[0], da[1], da[2]};
    return TPK::dot(na, nb) > 1 - 1e-12 && std::abs(TPK::dot(ob - oa, na)) <= TPK::resabs;
  }
  for (std::size_t i = 0; i < a->data_size(); ++i) {
    if (!TPK::is_equal(da[i], db[i])) return false;
  }
  return true;
}

// True when the edge lies on a seam of the periodic surface (u = 0 or v = 0 along its length).
bool on_seam(const EDGE* edge, const surface* s) {
  if (!s->periodic_u() && !s->periodic_v()) return false;
  const curve* c = edge->geometry();
  bool on_u = s->periodic_u(), on_v = s->periodic_v();
  for (double f : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    TPK::par_pos uv;
    if (!s->param(c->eval(edge->t_start() + f * (edge->t_end() - edge->t_start())), uv, nullptr)) {
      return false;
    }
    on_u = on_u && TPK::is_equal(uv.u, 0.0);
    on_v = on_v && TPK::is_equal(uv.v, 0.0);
  }
  return on_u || on_v;
}

std::vector<COEDGE*> coedges_of(const FACE* face) {
  std::vector<COEDGE*> all;
  for (LOOP* loop : face->loops()) {
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) { all.push_back(c); });
  }
  return all;
}

}  // namespace

namespace TPI_MODEL {

outcome merge_faces(FACE* kept, FACE* gone) {
  if (kept == nullptr || gone == nullptr || !kept->alive() || !gone->alive() || kept == gone ||
      kept->body() != gone->body()) {
    return outcome::failure("merge_faces: needs two distinct live faces of one body");
  }
  if (kept->reversed() != gone->reversed() || !equal_surfaces(kept->geometry(), gone->geometry())) {
    return outcome::failure("merge_faces: the faces do not lie on the same surface the same way");
  }
  // The shared edges that go: used exactly once by each face and by nothing else.
  const std::vector<COEDGE*> kept_coedges = coedges_of(kept);
  const std::vector<COEDGE*> gone_coedges = coedges_of(gone);
  const std::uint64_t removed = topology_editor::begin_marking();
  std::vector<EDGE*> removed_edges;
  for (COEDGE* c : kept_coedges) {
    COEDGE* p = c->partner();
    if (p == nullptr || p->partner() != c || p->loop()->face() != gone) continue;
    if (on_seam(c->edge(), kept->geometry())) continue;
    removed_edges.push_back(c->edge());
    topology_editor::mark(c, removed);
    topology_editor::mark(p, removed);
  }
  if (removed_edges.empty()) {
    return outcome::failure("merge_faces: the faces share no edge that can be removed");
  }

  TPK::operation_scope scope;
  // Splice each boundary past the removed coedges: from a coedge whose successor goes, continue
  // after that successor's partner on the other face.
  std::vector<COEDGE*> remaining;
  for (const auto* list : {&kept_coedges, &gone_coedges}) {
    for (COEDGE* c : *list) {
      if (!topology_editor::is_marked(c, removed)) remaining.push_back(c);
    }
  }
  const std::size_t bound = kept_coedges.size() + gone_coedges.size();
  std::vector<std::pair<COEDGE*, COEDGE*>> relinks;
  for (COEDGE* c : remaining) {
    COEDGE* next = c->next();
    for (std::size_t steps = 0; topology_editor::is_marked(next, removed) && steps <= bound;
         ++steps) {
      next = next->partner()->next();
    }
    if (topology_editor::is_marked(next, removed)) {
      return outcome::failure("merge_faces: the shared edges leave no boundary");
    }
    if (next != c->next()) relinks.emplace_back(c, next);
  }
  for (const auto& [c, next] : relinks) topology_editor::set_next(c, next);

  // The cycles of what remains become the loops of `kept`, in the order of their first coedge.
  TPK::change_statement statement;
  statement.merged(gone, kept);
  statement.lost(gone);
  const std::vector<LOOP*> kept_loops(kept->loops().begin(), kept->loops().end());
  TPK::kernel_vector<LOOP*> loops;
  const std::uint64_t placed = topology_editor::begin_marking();
  std::size_t reused = 0;
  for (COEDGE* start : remaining) {
    if (topology_editor::is_marked(start, placed)) continue;
    LOOP* loop =
        reused < kept_loops.size() ? kept_loops[reused++] : topology_editor::new_loop(kept);
    topology_editor::set_first(loop, start);
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) {
      topology_editor::mark(c, placed);
      if (c->loop() != loop) topology_editor::set_loop(c, loop);
    });
    if (std::find(loops.begin(), loops.end(), loop) == loops.end()) loops.push_back(loop);
  }
  for (std::size_t i = reused; i < kept_loops.size(); ++i) statement.lost(kept_loops[i]);
  for (LOOP* loop : gone->loops()) statement.lost(loop);
  topology_editor::set_loops(kept, loops);

  std::vector<VERTEX*> bare;
  for (EDGE* edge : removed_edges) {
    statement.lost(edge);
    for (COEDGE* c : {edge->coedge(), edge->coedge()->partner()}) statement.lost(c);
    for (VERTEX* v : {edge->start(), edge->end()}) {
      TPK::kernel_vector<EDGE*> rest;
      for (EDGE* e : v->edges()) {
        if (e != edge) rest.push_back(e);
      }
      if (rest.size() != v->edges().size()) topology_editor::set_edges(v, rest);
      if (rest.empty() && std::find(bare.begin(), bare.end(), v) == bare.end()) bare.push_back(v);
    }
  }
  for (VERTEX* v : bare) statement.lost(v);
  statement.announce();
  scope.commit();
  return outcome();
}

}  // namespace TPI_MODEL
