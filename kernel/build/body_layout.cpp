#include <tagtrack/kernel/build/body_layout.h>

#include <string>
#include <unordered_set>

#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>

using tpk_detail::topology_editor;

namespace TPI_BUILD {

namespace {

outcome refuse(const std::string& what) {
  return outcome::failure("lay_out_body: " + what);
}

template <class E>
bool reusable(E* entity, std::unordered_set<const ENTITY*>& seen) {
  return entity == nullptr || (entity->alive() && seen.insert(entity).second);
}

outcome validate(const BODY* body, const body_layout& layout) {
  if (body == nullptr || !body->alive()) return refuse("needs a live body");
  std::unordered_set<const ENTITY*> seen;
  for (const auto& v : layout.vertices) {
    if (!reusable(v.reuse, seen)) return refuse("a vertex reuses a dead or already reused vertex");
  }
  const std::size_t num_vertices = layout.vertices.size(), num_edges = layout.edges.size();
  for (const auto& e : layout.edges) {
    if (!reusable(e.reuse, seen)) return refuse("an edge reuses a dead or already reused edge");
    if (e.geometry == nullptr) return refuse("an edge has no curve");
    if (e.start >= num_vertices || e.end >= num_vertices) {
      return refuse("an edge names a vertex out of range");
    }
    if (!(e.t_start < e.t_end)) return refuse("an edge has an empty parameter range");
  }
  for (const auto& f : layout.faces) {
    if (!reusable(f.reuse, seen)) return refuse("a face reuses a dead or already reused face");
    if (f.geometry == nullptr) return refuse("a face has no surface");
    for (const auto& loop : f.loops) {
      if (loop.empty()) return refuse("a loop has no coedge");
      for (const auto& c : loop) {
        if (c.edge >= num_edges) return refuse("a coedge names an edge out of range");
      }
    }
  }
  return outcome();
}

void retire_loops(const FACE* face, TPK::change_statement& statement) {
  for (LOOP* loop : face->loops()) {
    tpk_detail::for_each_coedge_of(loop, [&](COEDGE* c) { statement.lost(c); });
    statement.lost(loop);
  }
}

void retire_loops_of(const BODY* body, TPK::change_statement& statement) {
  for (const FACE* face : body->faces()) retire_loops(face, statement);
}

}  // namespace

BODY* new_body() {
  return topology_editor::new_body();
}

outcome lay_out_body(BODY* body, body_layout& layout, TPK::change_statement& statement,
                     laid_out& made) {
  if (outcome checked = validate(body, layout); !checked.ok()) return checked;

  // Every source body once, in order of first appearance.
  std::vector<const BODY*> sources{body};
  const auto note_source = [&](const ENTITY* reused) {
    if (reused == nullptr) return;
    const BODY* from = reused->body();
    for (const BODY* known : sources) {
      if (known == from) return;
    }
    sources.push_back(from);
  };
  for (const auto& v : layout.vertices) note_source(v.reuse);
  for (const auto& e : layout.edges) note_source(e.reuse);
  for (const auto& f : layout.faces) note_source(f.reuse);
  for (const BODY* source : sources) retire_loops_of(source, statement);

  laid_out result;
  result.vertices.reserve(layout.vertices.size());
  for (const auto& v : layout.vertices) {
    VERTEX* vertex = v.reuse;
    if (vertex == nullptr) {
      vertex = topology_editor::new_vertex(body, v.point);
    } else {
      topology_editor::move_to(vertex, body);
      topology_editor::set_point(vertex, v.point);
    }
    result.vertices.push_back(vertex);
  }

  result.edges.reserve(layout.edges.size());
  for (auto& e : layout.edges) {
    VERTEX* start = result.vertices[e.start];
    VERTEX* end = result.vertices[e.end];
    EDGE* edge = e.reuse;
    if (edge == nullptr) {
      edge = topology_editor::new_edge(body, e.geometry.release(), start, end, e.t_start, e.t_end);
    } else {
      topology_editor::move_to(edge, body);
      topology_editor::set_ends(edge, start, end, e.t_start, e.t_end);
      topology_editor::set_coedge(edge, nullptr);
      topology_editor::replace_curve(edge, e.geometry.release());
    }
    result.edges.push_back(edge);
  }

  result.faces.reserve(layout.faces.size());
  for (auto& f : layout.faces) {
    FACE* face = f.reuse;
    if (face == nullptr) {
      face = topology_editor::new_face(body, f.geometry.release(), f.reversed);
    } else {
      topology_editor::move_to(face, body);
      topology_editor::set_reversed(face, f.reversed);
      topology_editor::set_loops(face, {});
      topology_editor::replace_surface(face, f.geometry.release());
    }
    for (const auto& coedges : f.loops) {
      LOOP* loop = topology_editor::new_loop(face);
      for (const auto& c : coedges) {
        topology_editor::append_coedge(loop, result.edges[c.edge], c.reversed);
      }
    }
    result.faces.push_back(face);
  }

  // Each vertex lists the edges that meet it, in layout order.
  std::vector<TPK::kernel_vector<EDGE*>> meeting(result.vertices.size());
  for (std::size_t i = 0; i < layout.edges.size(); ++i) {
    meeting[layout.edges[i].start].push_back(result.edges[i]);
    if (layout.edges[i].end != layout.edges[i].start) {
      meeting[layout.edges[i].end].push_back(result.edges[i]);
    }
  }
  for (std::size_t i = 0; i < result.vertices.size(); ++i) {
    topology_editor::set_edges(result.vertices[i], meeting[i]);
  }
  made = std::move(result);
  return outcome();
}

void state_loops_lost(const BODY* body, TPK::change_statement& statement) {
  if (body != nullptr) retire_loops_of(body, statement);
}

ENTITY* new_piece(ENTITY* like) {
  switch (like->kind()) {
    case entity_kind::face: {
      auto* face = static_cast<FACE*>(like);
      return topology_editor::new_face(face->body(), face->geometry()->copy(), face->reversed());
    }
    case entity_kind::edge:
      return topology_editor::new_detached_edge(static_cast<EDGE*>(like));
    case entity_kind::vertex: {
      auto* vertex = static_cast<VERTEX*>(like);
      return topology_editor::new_vertex(vertex->body(), vertex->point());
    }
    default:
      return nullptr;
  }
}

}  // namespace TPI_BUILD
