#include <tagtrack/kernel/operations/copy_body.h>

#include <unordered_map>

#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/operations/change_statement.h>

using tpk_detail::topology_editor;

namespace TPI_MODEL {

outcome copy_body(BODY* source, BODY*& copy) {
  if (source == nullptr || !source->alive()) {
    return outcome::failure("copy_body: no body, or a deleted one");
  }
  TPK::operation_scope scope;
  BODY* made = topology_editor::new_body();
  // Counterparts by source entity; looked up only, never iterated, so its order plays no part.
  std::unordered_map<const ENTITY*, ENTITY*> counterpart;
  counterpart.reserve(4 * (source->faces().size() + source->edges().size()));
  counterpart[source] = made;
  for (VERTEX* v : source->vertices())
    counterpart[v] = topology_editor::new_vertex(made, v->point());
  for (EDGE* e : source->edges()) {
    counterpart[e] = topology_editor::new_edge(
        made, e->geometry()->copy(), static_cast<VERTEX*>(counterpart.at(e->start())),
        static_cast<VERTEX*>(counterpart.at(e->end())), e->t_start(), e->t_end());
  }
  // Coedges are made loop by loop; each edge's ring comes out in the source ring's order only if
  // the coedges are made in that order, so rings are rebuilt afterwards from the source.
  for (FACE* f : source->faces()) {
    FACE* face = topology_editor::new_face(made, f->geometry()->copy(), f->reversed());
    counterpart[f] = face;
    for (LOOP* l : f->loops()) {
      LOOP* loop = topology_editor::new_loop(face);
      counterpart[l] = loop;
      tpk_detail::for_each_coedge_of(l, [&](COEDGE* c) {
        counterpart[c] = topology_editor::append_coedge(
            loop, static_cast<EDGE*>(counterpart.at(c->edge())), c->reversed());
      });
    }
  }
  for (EDGE* e : source->edges()) {
    auto* edge = static_cast<EDGE*>(counterpart.at(e));
    const COEDGE* first = e->coedge();
    if (first == nullptr) continue;
    topology_editor::set_coedge(edge, static_cast<COEDGE*>(counterpart.at(first)));
    tpk_detail::for_each_coedge_of_edge(e, [&](const COEDGE* c) {
      const COEDGE* partner = c->partner();
      topology_editor::set_partner(
          static_cast<COEDGE*>(counterpart.at(c)),
          partner ? static_cast<COEDGE*>(counterpart.at(partner)) : nullptr);
    });
  }
  for (VERTEX* v : source->vertices()) {
    TPK::kernel_vector<EDGE*> edges;
    for (EDGE* e : v->edges()) edges.push_back(static_cast<EDGE*>(counterpart.at(e)));
    topology_editor::set_edges(static_cast<VERTEX*>(counterpart.at(v)), edges);
  }
  TPK::change_statement statement;
  tpk_detail::for_each_entity(source,
                              [&](ENTITY* e) { statement.replicated(e, counterpart.at(e)); });
  statement.announce();
  scope.commit();
  copy = made;
  return outcome();
}

}  // namespace TPI_MODEL
