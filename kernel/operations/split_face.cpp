#include <tagtrack/kernel/operations/split_face.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/operations/change_statement.h>

using tpk_detail::topology_editor;

namespace {

constexpr double pi = 3.141592653589793238462643383279;

// The curve of the new edge, the parameter range it runs over and the vertex at its start.
struct cut {
  std::unique_ptr<curve> geometry;
  double t_start = 0, t_end = 0;
  bool from_a = true;
};

TPK::vector3 axis_dir(const double* data) {
  return {data[3], data[4], data[5]};
}
TPK::vector3 x_dir(const double* data) {
  return {data[6], data[7], data[8]};
}
TPK::position centre_of(const double* data) {
  return {data[0], data[1], data[2]};
}

// An arc of the circle through `centre` in the plane of (x, y), radius r, between angles ta, tb
// of a and b; the arc runs the increasing way from the smaller angle.
outcome arc(const TPK::position& centre, const TPK::vector3& x, const TPK::vector3& y, double r,
            double ta, double tb, cut& result) {
  if (TPK::is_equal(ta, tb)) return outcome::failure("split_face: the two vertices coincide");
  result.geometry.reset(new TPK::circle_curve(centre, TPK::cross(x, y), x, r));
  result.from_a = ta < tb;
  result.t_start = std::min(ta, tb);
  result.t_end = std::max(ta, tb);
  return outcome();
}

outcome straight(const TPK::position& a, const TPK::position& b, cut& result) {
  result.geometry.reset(new TPK::straight_curve(a, b - a));
  result.t_end = TPK::distance(a, b);
  return outcome();
}

outcome choose_cut(const FACE* face, const VERTEX* a, const VERTEX* b, cut& result) {
  const surface* s = face->geometry();
  const TPK::position pa = a->point(), pb = b->point();
  TPK::par_pos ua, ub;
  if (!s->param(pa, ua, nullptr) || !s->param(pb, ub, nullptr)) {
    return outcome::failure("split_face: a vertex does not lie on the face's surface");
  }
  double data[16];
  s->get_data(data);
  const double half_pi = pi / 2;
  switch (s->kind()) {
    case surface_kind::plane:
      return straight(pa, pb, result);
    case surface_kind::cylinder:
    case surface_kind::cone: {
      const auto apex = [&](const TPK::par_pos& uv) {
        if (s->kind() != surface_kind::cone) return false;
        return std::abs(data[9] + uv.v * std::tan(data[10])) <= TPK::resabs;
      };
      if (!TPK::is_equal(ua.u, ub.u) && !apex(ua) && !apex(ub)) {
        return outcome::failure(
            "split_face: on a cylinder or cone the vertices must share a ruling");
      }
      return straight(pa, pb, result);
    }
    case surface_kind::sphere: {
      const double r = data[9];
      const TPK::vector3 axis = axis_dir(data), x = x_dir(data), y = TPK::cross(axis, x);
      const auto pole = [&](const TPK::par_pos& uv) {
        return TPK::is_equal(std::abs(uv.v), half_pi);
      };
      double u = 0;
      if (pole(ua) && pole(ub)) {
        u = pi;
      } else if (pole(ua) || pole(ub) || TPK::is_equal(ua.u, ub.u)) {
        u = pole(ua) ? ub.u : ua.u;
      } else if (TPK::is_equal(ua.v, ub.v)) {
        const TPK::position c = centre_of(data) + (r * std::sin(ua.v)) * axis;
        return arc(c, x, y, r * std::cos(ua.v), ua.u, ub.u, result);
      } else {
        return outcome::failure("split_face: on a sphere the vertices must share u or v");
      }
      const TPK::vector3 radial = std::cos(u) * x + std::sin(u) * y;
      return arc(centre_of(data), radial, axis, r, ua.v, ub.v, result);
    }
    case surface_kind::torus: {
      const double major = data[9], minor = data[10];
      const TPK::vector3 axis = axis_dir(data), x = x_dir(data), y = TPK::cross(axis, x);
      if (TPK::is_equal(ua.u, ub.u)) {
        const TPK::vector3 radial = std::cos(ua.u) * x + std::sin(ua.u) * y;
        return arc(centre_of(data) + major * radial, radial, axis, minor, ua.v, ub.v, result);
      }
      if (TPK::is_equal(ua.v, ub.v)) {
        const TPK::position c = centre_of(data) + (minor * std::sin(ua.v)) * axis;
        return arc(c, x, y, major + minor * std::cos(ua.v), ua.u, ub.u, result);
      }
      return outcome::failure("split_face: on a torus the vertices must share u or v");
    }
    case surface_kind::outside:
      return outcome::failure(
          "split_face: a face on outside geometry is split by the operations of its own kernel");
  }
  return outcome::failure("split_face: unknown surface");
}

// The coedges of `face` that start at `v`.
std::vector<COEDGE*> corners(const FACE* face, const VERTEX* v) {
  std::vector<COEDGE*> found;
  for (LOOP* loop : face->loops()) {
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) {
      if (c->start() == v) found.push_back(c);
    });
  }
  return found;
}

// True when the coedge from `from` goes straight to `to` along the curve the cut would take: the
// cut would then bound a piece of no area, with two edges on one curve.
bool runs_along_an_edge(const COEDGE* from_corner, const VERTEX* from, const VERTEX* to,
                        const cut& chosen) {
  if (from_corner->start() != from || from_corner->end() != to) return false;
  const EDGE* edge = from_corner->edge();
  const TPK::position middle = edge->geometry()->eval((edge->t_start() + edge->t_end()) / 2);
  double t = 0;
  return chosen.geometry->param(middle, t) &&
         TPK::distance(chosen.geometry->eval(t), middle) <= TPK::resabs &&
         t >= chosen.t_start - TPK::resabs && t <= chosen.t_end + TPK::resabs;
}

}  // namespace

namespace TPI_MODEL {

outcome split_face(FACE* face, VERTEX* a, VERTEX* b, EDGE*& new_edge, FACE*& new_face) {
  if (face == nullptr || !face->alive()) {
    return outcome::failure("split_face: no face, or a deleted one");
  }
  if (a == nullptr || b == nullptr || a == b) {
    return outcome::failure("split_face: needs two distinct vertices");
  }
  // Two vertices at one point (a boundary that touches itself) have no edge between them.
  if (TPK::same_point(a->point(), b->point())) {
    return outcome::failure("split_face: the two vertices coincide");
  }
  const std::vector<COEDGE*> at_a = corners(face, a), at_b = corners(face, b);
  if (at_a.size() != 1 || at_b.size() != 1) {
    return outcome::failure(
        "split_face: each vertex must occur exactly once on the face's boundary");
  }
  COEDGE* ca = at_a.front();
  COEDGE* cb = at_b.front();
  LOOP* loop = ca->loop();
  if (cb->loop() != loop)
    return outcome::failure("split_face: the vertices lie on different loops");
  cut chosen;
  if (outcome r = choose_cut(face, a, b, chosen); !r.ok()) return r;
  if (runs_along_an_edge(ca, a, b, chosen) || runs_along_an_edge(cb, b, a, chosen)) {
    return outcome::failure(
        "split_face: an edge of the face already joins the vertices along that curve");
  }

  TPK::operation_scope scope;
  BODY* body = face->body();
  // Which part holds the loop's first coedge: the a-to-b part runs from ca up to cb.
  bool first_on_ab_part = false;
  for (COEDGE* c = ca; c != cb; c = c->next())
    first_on_ab_part = first_on_ab_part || c == loop->first();
  COEDGE* before_a = ca->previous();
  COEDGE* before_b = cb->previous();

  VERTEX* start = chosen.from_a ? a : b;
  VERTEX* end = chosen.from_a ? b : a;
  EDGE* edge = topology_editor::new_edge(body, chosen.geometry.release(), start, end,
                                         chosen.t_start, chosen.t_end);
  // The a-to-b part closes with a coedge running b to a; the other part with one running a to b.
  // The coedge closing the part that stays on `face` is made first, so it leads the edge's ring.
  COEDGE* closes_ab_part = nullptr;
  COEDGE* closes_ba_part = nullptr;
  const auto close_ab = [&] {
    closes_ab_part = topology_editor::insert_coedge_after(before_b, edge, chosen.from_a);
  };
  const auto close_ba = [&] {
    closes_ba_part = topology_editor::insert_coedge_after(before_a, edge, !chosen.from_a);
  };
  if (first_on_ab_part) {
    close_ab();
    close_ba();
  } else {
    close_ba();
    close_ab();
  }
  // Both were inserted where the cut meets the loop; now each closes its own part.
  topology_editor::set_next(closes_ab_part, ca);
  topology_editor::set_next(closes_ba_part, cb);

  FACE* piece = topology_editor::new_face(body, face->geometry()->copy(), face->reversed());
  LOOP* piece_loop = topology_editor::new_loop(piece);
  COEDGE* moving = first_on_ab_part ? cb : ca;
  topology_editor::set_first(piece_loop, moving);
  tpk_detail::for_each_coedge_of(piece_loop,
                                 [&](COEDGE* c) { topology_editor::set_loop(c, piece_loop); });

  TPK::change_statement statement;
  statement.split(face, piece);
  statement.created(edge);
  statement.announce();
  scope.commit();
  new_edge = edge;
  new_face = piece;
  return outcome();
}

}  // namespace TPI_MODEL
