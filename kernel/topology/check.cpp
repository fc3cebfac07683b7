#include <tagtrack/kernel/topology/check.h>

#include <cmath>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/topology/ordered_faces.h>

namespace {

std::string describe(const ENTITY* e) {
  return std::string(e->type_name()) + " #" + std::to_string(e->serial());
}

outcome fail(const ENTITY* e, const std::string& what) {
  return outcome::failure("check_body: " + describe(e) + ": " + what);
}

// A model file carries a curve or surface as the numbers its get_data writes and rebuilds it from
// them (see make_curve, make_surface): a body passes only when each of its own would come back.
// Outside geometry answers for itself.
template <class Geometry, class Kind>
bool rebuilds(const Geometry* geometry, Geometry* (*make)(Kind, const double*, std::size_t)) {
  if (geometry->kind() == Kind::outside) return true;
  double data[16];
  geometry->get_data(data);
  const std::unique_ptr<Geometry> again(make(geometry->kind(), data, geometry->data_size()));
  return again != nullptr;
}

bool finite(const TPK::position& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

struct union_find {
  std::vector<std::size_t> parent;
  explicit union_find(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
  std::size_t find(std::size_t i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  }
  void join(std::size_t a, std::size_t b) { parent[find(a)] = find(b); }
};

outcome check_loop(const BODY* body, const FACE* face, const LOOP* loop, std::size_t limit,
                   std::size_t& coedges) {
  if (loop->face() != face) return fail(loop, "does not name its face");
  const COEDGE* first = loop->first();
  if (first == nullptr) return fail(loop, "has no coedge");
  const COEDGE* c = first;
  do {
    if (++coedges > limit) return fail(loop, "does not close");
    if (c->loop() != loop) return fail(c, "does not name its loop");
    if (c->next() == nullptr || c->next()->previous() != c) return fail(c, "broken next link");
    if (c->edge() == nullptr || c->edge()->body() != body) return fail(c, "edge not in the body");
    if (c->end() != c->next()->start()) return fail(c, "ends where the next coedge does not start");
    // The coedge must be in its edge's ring.
    const COEDGE* r = c->edge()->coedge();
    bool found = false;
    for (std::size_t n = 0; r != nullptr && n <= limit; ++n) {
      if (r->edge() != c->edge()) return fail(r, "in the ring of another edge");
      if (r == c) found = true;
      r = r->partner();
      if (r == c->edge()->coedge()) break;
    }
    if (!found) return fail(c, "missing from its edge's partner ring");
    const COEDGE* p = c->partner();
    if (p != nullptr && p->partner() == c && p != c && p->reversed() == c->reversed()) {
      return fail(c, "runs in the same direction as its partner");
    }
    // The corner's vertex lies on the face's surface.
    TPK::par_pos uv;
    if (face->geometry() == nullptr || !face->geometry()->param(c->start()->point(), uv, nullptr)) {
      return fail(c->start(), "does not lie on the surface of " + describe(face));
    }
    c = c->next();
  } while (c != first);
  return outcome();
}

}  // namespace

namespace TPI_CHECK {

outcome check_body(const BODY* body) {
  if (body == nullptr) return outcome::failure("check_body: null body");
  const std::size_t limit = 4 * (body->edges().size() + 1);

  const std::uint64_t listed = tpk_detail::topology_editor::begin_marking();
  for (const VERTEX* v : body->vertices()) {
    if (v->body() != body) return fail(v, "does not name its body");
    if (tpk_detail::topology_editor::is_marked(v, listed)) return fail(v, "listed twice");
    if (!finite(v->point())) return fail(v, "stands at a point that is not finite");
    tpk_detail::topology_editor::mark(v, listed);
  }
  std::size_t coedge_uses_ok = 0;
  for (const EDGE* e : body->edges()) {
    if (e->body() != body) return fail(e, "does not name its body");
    if (tpk_detail::topology_editor::is_marked(e, listed)) return fail(e, "listed twice");
    tpk_detail::topology_editor::mark(e, listed);
    for (const VERTEX* v : {e->start(), e->end()}) {
      if (v == nullptr || !tpk_detail::topology_editor::is_marked(v, listed)) {
        return fail(e, "has a vertex outside the body");
      }
    }
    if (e->geometry() == nullptr) return fail(e, "has no curve");
    if (!rebuilds(e->geometry(), TPK::make_curve)) return fail(e, "has a degenerate curve");
    if (!(e->t_start() < e->t_end())) return fail(e, "has an empty parameter range");
    if (!std::isfinite(e->t_start()) || !std::isfinite(e->t_end())) {
      return fail(e, "has a parameter range that is not finite");
    }
    if (!TPK::same_point(e->geometry()->eval(e->t_start()), e->start()->point()) ||
        !TPK::same_point(e->geometry()->eval(e->t_end()), e->end()->point())) {
      return fail(e, "its curve does not run between its vertices");
    }
    if (e->coedge() == nullptr) return fail(e, "has no coedge");
    std::size_t uses = 0;
    const COEDGE* c = e->coedge();
    do {
      ++uses;
      c = c->partner();
    } while (c != nullptr && c != e->coedge() && uses <= limit);
    if (uses == 2) ++coedge_uses_ok;
  }
  // Each edge is listed by its start and by its end vertex (once by a closed edge's vertex), and
  // each vertex lists only edges that meet it; one pass over the vertices' lists checks both.
  std::vector<char> listed_at_start(body->edges().size(), 0),
      listed_at_end(body->edges().size(), 0);
  for (const VERTEX* v : body->vertices()) {
    for (const EDGE* e : v->edges()) {
      if (e->start() != v && e->end() != v) return fail(v, "lists an edge that does not meet it");
      const std::size_t i = tpk_detail::topology_editor::index_of(e);
      if (i >= body->edges().size() || body->edges()[i] != e) {
        return fail(v, "lists an edge outside the body");
      }
      if (e->start() == v) listed_at_start[i] = 1;
      if (e->end() == v) listed_at_end[i] = 1;
    }
  }
  for (std::size_t i = 0; i < body->edges().size(); ++i) {
    if (!listed_at_start[i] || !listed_at_end[i]) {
      return fail(body->edges()[i], "is not listed by both its vertices");
    }
  }

  std::size_t loops = 0, coedges = 0;
  for (const FACE* f : body->faces()) {
    if (f->body() != body) return fail(f, "does not name its body");
    if (tpk_detail::topology_editor::is_marked(f, listed)) return fail(f, "listed twice");
    if (f->geometry() == nullptr || !rebuilds(f->geometry(), TPK::make_surface)) {
      return fail(f, "has no surface, or a degenerate one");
    }
    tpk_detail::topology_editor::mark(f, listed);
    for (const LOOP* l : f->loops()) {
      ++loops;
      if (outcome r = check_loop(body, f, l, limit, coedges); !r.ok()) return r;
    }
  }

  const bool closed = coedge_uses_ok == body->edges().size() && !body->faces().empty();
  if (closed) {
    // Connected pieces: faces joined through shared edges.
    const auto& faces = body->faces();
    union_find pieces(faces.size());
    for (const EDGE* e : body->edges()) {
      const COEDGE* a = e->coedge();
      const COEDGE* b = a->partner();
      pieces.join(tpk_detail::topology_editor::index_of(a->loop()->face()),
                  tpk_detail::topology_editor::index_of(b->loop()->face()));
    }
    long shells = 0;
    for (std::size_t i = 0; i < faces.size(); ++i) shells += pieces.find(i) == i ? 1 : 0;
    // A vertex where pieces or sheets of faces touch counts once for each fan around it: the
    // formula holds for the body with such vertices pulled apart.
    long vertex_uses = 0;
    for (VERTEX* v : body->vertices()) {
      TPI_ORDERED_FACES_ON_VERTEX fans(v);
      fans.compute();
      vertex_uses += static_cast<long>(fans.get_num_fans());
    }
    const long euler = vertex_uses - static_cast<long>(body->edges().size()) +
                       2 * static_cast<long>(faces.size()) - static_cast<long>(loops);
    const long twice_genus = 2 * shells - euler;
    if (twice_genus < 0 || twice_genus % 2 != 0) {
      return outcome::failure(
          "check_body: Euler-Poincare fails: V - E + 2F - L = " + std::to_string(euler) + " for " +
          std::to_string(shells) + " closed piece(s)");
    }
  }
  return outcome();
}

}  // namespace TPI_CHECK
