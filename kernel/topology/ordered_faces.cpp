#include <tagtrack/kernel/topology/ordered_faces.h>

#include <algorithm>
#include <utility>

#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>

using tpk_detail::topology_editor;

namespace {

// The place of a coedge in its face: the loop's place in the face's list, then the coedge's
// place walking the loop from its first coedge.
std::pair<std::size_t, std::size_t> place_in_face(const COEDGE* c) {
  const LOOP* loop = c->loop();
  const auto& loops = loop->face()->loops();
  const std::size_t loop_place =
      static_cast<std::size_t>(std::find(loops.begin(), loops.end(), loop) - loops.begin());
  std::size_t position = 0;
  for (const COEDGE* walk = loop->first(); walk != c; walk = walk->next()) ++position;
  return {loop_place, position};
}

// Corners compare by their face's place in the body's face list, then by their place in the face:
// an order that the model itself holds, and that a model file keeps.
bool corner_before(const COEDGE* a, const COEDGE* b) {
  const FACE* fa = a->loop()->face();
  const FACE* fb = b->loop()->face();
  if (fa != fb) return topology_editor::index_of(fa) < topology_editor::index_of(fb);
  return place_in_face(a) < place_in_face(b);
}

// The corner reached by turning from `corner` across its outgoing edge; null at a boundary, or
// where the neighbouring coedge does not come back to the vertex (an inconsistently oriented
// neighbour ends the fan rather than jumping elsewhere).
const COEDGE* next_corner(const COEDGE* corner, const VERTEX* vertex) {
  const COEDGE* neighbour = corner->partner();
  if (neighbour == nullptr || neighbour->end() != vertex) return nullptr;
  return neighbour->next();
}

}  // namespace

TPI_ORDERED_FACES_ON_VERTEX::TPI_ORDERED_FACES_ON_VERTEX(VERTEX* vertex) : m_vertex(vertex) {}
TPI_ORDERED_FACES_ON_VERTEX::~TPI_ORDERED_FACES_ON_VERTEX() = default;

outcome TPI_ORDERED_FACES_ON_VERTEX::compute() {
  m_fans.clear();
  m_faces.clear();
  if (m_vertex == nullptr) return outcome::failure("TPI_ORDERED_FACES_ON_VERTEX: null vertex");

  // Every coedge that starts at the vertex is a corner of its face there.
  TPK::kernel_vector<const COEDGE*> corners;
  for (const EDGE* edge : m_vertex->edges()) {
    tpk_detail::for_each_coedge_of_edge(edge, [&](const COEDGE* c) {
      if (c->start() == m_vertex) corners.push_back(c);
    });
  }
  std::sort(corners.begin(), corners.end(), corner_before);

  const std::uint64_t visited = topology_editor::begin_marking();
  struct pending {
    const COEDGE* start;
    fan_type type;
  };
  TPK::kernel_vector<pending> starts;
  // Open fans start where the incoming edge has no other face.
  for (const COEDGE* c : corners) {
    if (c->previous()->partner() == nullptr) starts.push_back({c, fan_type_open});
  }
  auto walk = [&](const COEDGE* start, fan_type type) {
    fan f{type, start, m_faces.size(), 0};
    const COEDGE* c = start;
    // A fan has at most as many corners as the vertex, which bounds the walk on any topology.
    for (std::size_t n = 0; c != nullptr && n < corners.size(); ++n) {
      if (topology_editor::is_marked(c, visited)) break;
      topology_editor::mark(c, visited);
      m_faces.push_back(c->loop()->face());
      ++f.count;
      c = next_corner(c, m_vertex);
    }
    if (type == fan_type_closed && c != start) f.type = fan_type_open;
    m_fans.push_back(f);
  };
  for (const pending& p : starts) walk(p.start, p.type);
  for (const COEDGE* c : corners) {
    if (!topology_editor::is_marked(c, visited)) walk(c, fan_type_closed);
  }

  std::stable_sort(m_fans.begin(), m_fans.end(),
                   [](const fan& a, const fan& b) { return corner_before(a.start, b.start); });
  return outcome();
}

std::uint64_t TPI_ORDERED_FACES_ON_VERTEX::get_num_fans() const {
  return m_fans.size();
}

outcome TPI_ORDERED_FACES_ON_VERTEX::get_fan(std::uint64_t index, fan_type& type,
                                             TPK::tpk_array<FACE*>& faces) const {
  if (index >= m_fans.size()) return outcome::failure("get_fan: no fan with that number");
  const fan& f = m_fans[index];
  type = f.type;
  faces.clear();
  faces.append(m_faces.data() + f.first, m_faces.data() + f.first + f.count);
  return outcome();
}
