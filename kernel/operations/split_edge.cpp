#include <tagtrack/kernel/operations/split_edge.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/operations/change_statement.h>

using tpk_detail::topology_editor;

namespace {
constexpr double two_pi = 6.283185307179586476925286766559;
}

namespace TPI_MODEL {

outcome split_edge(EDGE* edge, const TPK::position& at, VERTEX*& new_vertex, EDGE*& new_edge) {
  if (edge == nullptr || !edge->alive()) {
    return outcome::failure("split_edge: no edge, or a deleted one");
  }
  double t = 0;
  if (!edge->geometry()->param(at, t)) {
    return outcome::failure("split_edge: the point is not on the edge's curve");
  }
  if (edge->geometry()->periodic()) {
    while (t < edge->t_start()) t += two_pi;
    while (t >= edge->t_start() + two_pi) t -= two_pi;
  }
  const TPK::position point = edge->geometry()->eval(t);
  if (!(t > edge->t_start() && t < edge->t_end()) ||
      TPK::same_point(point, edge->start()->point()) ||
      TPK::same_point(point, edge->end()->point())) {
    return outcome::failure("split_edge: the point is not strictly inside the edge");
  }

  TPK::operation_scope scope;
  BODY* body = edge->body();
  VERTEX* start = edge->start();
  VERTEX* end = edge->end();
  const double t_end = edge->t_end();
  const std::vector<COEDGE*> ring = tpk_detail::ring_of(edge);

  VERTEX* middle = topology_editor::new_vertex(body, point);
  EDGE* piece = topology_editor::new_edge(body, edge->geometry()->copy(), middle, end, t, t_end);
  topology_editor::set_ends(edge, start, middle, edge->t_start(), t);
  TPK::kernel_vector<EDGE*> at_middle;
  at_middle.push_back(edge);
  at_middle.push_back(piece);
  topology_editor::set_edges(middle, at_middle);
  if (end != start) {
    // The old end now meets the piece, in the place where it listed the edge.
    TPK::kernel_vector<EDGE*> at_end;
    for (EDGE* e : end->edges()) {
      if (e == piece) continue;
      at_end.push_back(e == edge ? piece : e);
    }
    topology_editor::set_edges(end, at_end);
  }
  // Each coedge of the edge is followed (or, running against it, preceded) by one of the piece.
  for (COEDGE* c : ring) {
    if (c->reversed()) {
      topology_editor::insert_coedge_after(c->previous(), piece, true);
    } else {
      topology_editor::insert_coedge_after(c, piece, false);
    }
  }

  TPK::change_statement statement;
  statement.split(edge, piece);
  statement.created(middle);
  statement.announce();
  scope.commit();
  new_vertex = middle;
  new_edge = piece;
  return outcome();
}

}  // namespace TPI_MODEL
