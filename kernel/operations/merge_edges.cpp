#include <tagtrack/kernel/operations/merge_edges.h>

#include <vector>

#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/operations/change_statement.h>

using tpk_detail::topology_editor;

namespace {

constexpr double two_pi = 6.283185307179586476925286766559;

// True when the whole of `other` lies on the curve of `edge`.
bool same_curve(const EDGE* edge, const EDGE* other) {
  if (edge->geometry()->kind() != other->geometry()->kind()) return false;
  for (double f : {0.0, 0.5, 1.0}) {
    double t = 0;
    const TPK::position p =
        other->geometry()->eval(other->t_start() + f * (other->t_end() - other->t_start()));
    if (!edge->geometry()->param(p, t)) return false;
  }
  return true;
}

// The coedge of `other` next to `c` across `vertex`, or null.
COEDGE* across(const COEDGE* c, const VERTEX* vertex, const EDGE* other) {
  COEDGE* n = c->end() == vertex ? c->next() : c->previous();
  return n != nullptr && n->edge() == other ? n : nullptr;
}

}  // namespace

namespace TPI_MODEL {

outcome merge_edges(VERTEX* vertex, EDGE*& survivor) {
  if (vertex == nullptr || !vertex->alive()) {
    return outcome::failure("merge_edges: no vertex, or a deleted one");
  }
  if (vertex->edges().size() != 2 || vertex->edges()[0] == vertex->edges()[1]) {
    return outcome::failure("merge_edges: exactly two edges must meet at the vertex");
  }
  EDGE* kept = vertex->edges()[0];
  EDGE* gone = vertex->edges()[1];
  if (kept->closed() || gone->closed() || !same_curve(kept, gone)) {
    return outcome::failure("merge_edges: the edges do not continue each other on one curve");
  }
  const std::vector<COEDGE*> kept_ring = tpk_detail::ring_of(kept),
                             gone_ring = tpk_detail::ring_of(gone);
  std::vector<COEDGE*> partners;
  for (COEDGE* c : kept_ring) {
    COEDGE* n = across(c, vertex, gone);
    if (n == nullptr) {
      return outcome::failure("merge_edges: the edges are not used alike by the same faces");
    }
    partners.push_back(n);
  }
  if (partners.size() != gone_ring.size()) {
    return outcome::failure("merge_edges: the edges are not used alike by the same faces");
  }

  VERTEX* far = gone->start() == vertex ? gone->end() : gone->start();
  // The survivor keeps its direction along its curve and extends over the other edge.
  double t = 0;
  kept->geometry()->param(far->point(), t);
  const bool periodic = kept->geometry()->periodic();
  const bool extends_end = kept->end() == vertex;
  if (extends_end) {
    while (periodic && t <= kept->t_end()) t += two_pi;
  } else {
    while (periodic && t >= kept->t_start()) t -= two_pi;
  }
  const double t_start = extends_end ? kept->t_start() : t;
  const double t_end = extends_end ? t : kept->t_end();
  // Edges that fold back over each other would leave an edge running backwards or over nothing,
  // and a periodic one may not reach round more than once.
  const bool extends = extends_end ? t > kept->t_end() + TPK::resabs
                                   : t < kept->t_start() - TPK::resabs;
  if (!extends || (periodic && t_end - t_start > two_pi + TPK::resabs)) {
    return outcome::failure("merge_edges: the edges fold back over each other");
  }

  TPK::operation_scope scope;
  if (extends_end) {
    topology_editor::set_ends(kept, kept->start(), far, t_start, t_end);
  } else {
    topology_editor::set_ends(kept, far, kept->end(), t_start, t_end);
  }
  // The far vertex lists the survivor where it listed the edge that goes (once, if it meets the
  // survivor at its other end too).
  TPK::kernel_vector<EDGE*> at_far;
  for (EDGE* e : far->edges()) {
    EDGE* now = e == gone ? kept : e;
    bool listed = false;
    for (EDGE* f : at_far) listed = listed || f == now;
    if (!listed) at_far.push_back(now);
  }
  topology_editor::set_edges(far, at_far);
  // Take the other edge's coedges out of their loops.
  for (COEDGE* n : partners) {
    LOOP* loop = n->loop();
    if (loop->first() == n) topology_editor::set_first(loop, n->next());
    topology_editor::set_next(n->previous(), n->next());
  }

  TPK::change_statement statement;
  statement.merged(gone, kept);
  statement.lost(gone);
  for (COEDGE* n : partners) statement.lost(n);
  statement.lost(vertex);
  statement.announce();
  scope.commit();
  survivor = kept;
  return outcome();
}

}  // namespace TPI_MODEL
