#include <tagtrack/kernel/operations/extrude.h>

#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/operations/change_statement.h>
#include <tagtrack/kernel/topology/query.h>

using tpk_detail::topology_editor;

namespace {

std::vector<COEDGE*> coedges_of(const FACE* face) {
  std::vector<COEDGE*> all;
  for (LOOP* loop : face->loops()) {
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) { all.push_back(c); });
  }
  return all;
}

outcome check_profile(const FACE* profile, const TPK::vector3& direction) {
  if (profile == nullptr || !profile->alive()) {
    return outcome::failure("extrude: no profile, or a deleted one");
  }
  if (profile->body()->faces().size() != 1) {
    return outcome::failure("extrude: the profile must be the only face of its body");
  }
  if (profile->geometry()->kind() != surface_kind::plane) {
    return outcome::failure("extrude: the profile must be planar");
  }
  const double length = TPK::length(direction);
  if (!std::isfinite(length) || length <= TPK::resabs) {
    return outcome::failure("extrude: the direction must be longer than the kernel resolution");
  }
  TPK::par_pos origin;
  const TPK::vector3 normal = profile->geometry()->normal(origin);
  if (std::abs(TPK::dot(normal, direction)) <= TPK::resabs) {
    return outcome::failure("extrude: the direction lies in the profile's plane");
  }
  for (const COEDGE* c : coedges_of(profile)) {
    if (c->partner() != nullptr) return outcome::failure("extrude: the profile is not a sheet");
    const curve* g = c->edge()->geometry();
    if (g->kind() == curve_kind::circle) {
      double data[10];
      g->get_data(data);
      const TPK::vector3 axis{data[3], data[4], data[5]};
      if (std::abs(std::abs(TPK::dot(axis, TPK::normalised(direction))) - 1) > 1e-9) {
        return outcome::failure(
            "extrude: a circular profile edge must have its axis along the "
            "direction");
      }
    }
  }
  return outcome();
}

// Turns a face over: its sense flips and each loop runs the other way.
void turn_over(FACE* face) {
  topology_editor::set_reversed(face, !face->reversed());
  for (LOOP* loop : face->loops()) {
    std::vector<COEDGE*> cycle;
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) { cycle.push_back(c); });
    std::vector<COEDGE*> before(cycle.size());
    for (std::size_t i = 0; i < cycle.size(); ++i) before[i] = cycle[i]->previous();
    for (std::size_t i = 0; i < cycle.size(); ++i) {
      topology_editor::set_edge(cycle[i], cycle[i]->edge(), !cycle[i]->reversed());
      topology_editor::set_next(cycle[i], before[i]);
    }
  }
}

// The surface of the side swept by coedge `c` and whether the side faces against its normal:
// the side's outward direction is direction x (the coedge's tangent).
surface* side_surface(const COEDGE* c, const TPK::vector3& direction, bool& reversed) {
  const EDGE* e = c->edge();
  const curve* g = e->geometry();
  const double mid = 0.5 * (e->t_start() + e->t_end());
  TPK::vector3 tangent = g->tangent(mid);
  if (c->reversed()) tangent = -tangent;
  const TPK::vector3 outward = TPK::cross(direction, tangent);
  const TPK::position at = g->eval(mid);
  std::unique_ptr<surface> s;
  if (g->kind() == curve_kind::straight) {
    s.reset(new TPK::plane_surface(at, outward, tangent));
  } else {
    double data[10];
    g->get_data(data);
    const TPK::position centre{data[0], data[1], data[2]};
    s.reset(new TPK::cylinder_surface(centre, direction, {data[6], data[7], data[8]}, data[9]));
  }
  TPK::par_pos uv;
  s->param(at, uv, nullptr);
  reversed = TPK::dot(s->normal(uv), outward) < 0;
  return s.release();
}

}  // namespace

namespace TPI_MODEL {

outcome extrude(FACE* profile, const TPK::vector3& direction, FACE*& top) {
  if (outcome r = check_profile(profile, direction); !r.ok()) return r;
  TPK::operation_scope scope;
  BODY* body = profile->body();
  TPK::par_pos origin;
  const TPK::vector3 normal = profile->geometry()->normal(origin);
  const double outward_sense = profile->reversed() ? -1.0 : 1.0;
  if (outward_sense * TPK::dot(normal, direction) > 0) turn_over(profile);

  const TPK::transf shift = TPK::transf::translate(direction);
  TPK::tpk_array<VERTEX*> vertices;
  TPK::tpk_array<EDGE*> edges;
  TPI_QUERY::get_vertices(profile, vertices);
  TPI_QUERY::get_edges(profile, edges);

  // Looked up only, never iterated: their order plays no part.
  std::unordered_map<const ENTITY*, ENTITY*> top_of;
  std::unordered_map<const VERTEX*, EDGE*> rising;
  for (VERTEX* v : vertices) top_of[v] = topology_editor::new_vertex(body, shift.apply(v->point()));
  for (EDGE* e : edges) {
    std::unique_ptr<curve> moved(e->geometry()->copy());
    moved->transform(shift);
    top_of[e] = topology_editor::new_edge(
        body, moved.release(), static_cast<VERTEX*>(top_of.at(e->start())),
        static_cast<VERTEX*>(top_of.at(e->end())), e->t_start(), e->t_end());
  }
  for (VERTEX* v : vertices) {
    rising[v] =
        topology_editor::new_edge(body, new TPK::straight_curve(v->point(), direction), v,
                                  static_cast<VERTEX*>(top_of.at(v)), 0.0, TPK::length(direction));
  }

  std::unique_ptr<surface> lid(profile->geometry()->copy());
  lid->transform(shift);
  const bool lid_reversed = TPK::dot(normal, direction) < 0;
  FACE* lid_face = topology_editor::new_face(body, lid.release(), lid_reversed);
  for (LOOP* loop : profile->loops()) {
    // The top runs each profile loop backwards on the copied edges.
    std::vector<COEDGE*> cycle;
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) { cycle.push_back(c); });
    LOOP* top_loop = topology_editor::new_loop(lid_face);
    for (std::size_t k = 0; k < cycle.size(); ++k) {
      COEDGE* c = cycle[(cycle.size() - k) % cycle.size()];
      topology_editor::append_coedge(top_loop, static_cast<EDGE*>(top_of.at(c->edge())),
                                     !c->reversed());
    }
  }
  for (LOOP* loop : profile->loops()) {
    std::vector<COEDGE*> cycle;
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) { cycle.push_back(c); });
    for (COEDGE* c : cycle) {
      bool reversed = false;
      surface* s = side_surface(c, direction, reversed);
      FACE* side = topology_editor::new_face(body, s, reversed);
      LOOP* side_loop = topology_editor::new_loop(side);
      // Back along the profile edge, up at the coedge's start, along the top, down at its end.
      topology_editor::append_coedge(side_loop, c->edge(), !c->reversed());
      topology_editor::append_coedge(side_loop, rising.at(c->start()), false);
      topology_editor::append_coedge(side_loop, static_cast<EDGE*>(top_of.at(c->edge())),
                                     c->reversed());
      topology_editor::append_coedge(side_loop, rising.at(c->end()), true);
    }
  }

  TPK::change_statement statement;
  statement.copied(profile, lid_face);
  for (EDGE* e : edges) statement.copied(e, top_of.at(e));
  for (VERTEX* v : vertices) statement.copied(v, top_of.at(v));
  statement.announce();
  scope.commit();
  top = lid_face;
  return outcome();
}

}  // namespace TPI_MODEL
