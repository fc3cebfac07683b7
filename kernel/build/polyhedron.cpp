#include <tagtrack/kernel/build/polyhedron.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include <tagtrack/kernel/internal/topology_editor.h>

using tpk_detail::topology_editor;

namespace {

std::string face_error(std::size_t face, const std::string& what) {
  return "make_polyhedron: face " + std::to_string(face) + " " + what;
}

// Newell's normal of a polygon: its length is twice the polygon's area.
TPK::vector3 newell_normal(const std::vector<TPK::position>& points, const std::vector<int>& loop) {
  TPK::vector3 n;
  for (std::size_t i = 0; i < loop.size(); ++i) {
    const TPK::position& a = points[static_cast<std::size_t>(loop[i])];
    const TPK::position& b = points[static_cast<std::size_t>(loop[(i + 1) % loop.size()])];
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
  }
  return n;
}

struct edge_use {
  EDGE* edge = nullptr;
  int start = 0;  // point index where the edge starts
  int uses = 0;
};

std::uint64_t edge_key(int a, int b) {
  const auto lo = static_cast<std::uint32_t>(a < b ? a : b);
  const auto hi = static_cast<std::uint32_t>(a < b ? b : a);
  return (static_cast<std::uint64_t>(hi) << 32) | lo;
}

}  // namespace

namespace TPI_BUILD {

outcome make_polyhedron(const std::vector<TPK::position>& points,
                        const std::vector<std::vector<int>>& faces, BODY*& body) {
  // Validate everything before building anything.
  const auto num_points = points.size();
  std::vector<char> used(num_points, 0);
  std::unordered_map<std::uint64_t, edge_use> edges;
  edges.reserve(faces.size() * 2);
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const std::vector<int>& loop = faces[f];
    if (loop.size() < 3) return outcome::failure(face_error(f, "has fewer than three points"));
    for (int index : loop) {
      if (index < 0 || static_cast<std::size_t>(index) >= num_points) {
        return outcome::failure(
            face_error(f, "uses point " + std::to_string(index) + ", which does not exist"));
      }
    }
    for (std::size_t i = 0; i < loop.size(); ++i) {
      for (std::size_t j = i + 1; j < loop.size(); ++j) {
        if (loop[i] == loop[j]) return outcome::failure(face_error(f, "uses a point twice"));
      }
    }
    const TPK::vector3 n = newell_normal(points, loop);
    if (TPK::length(n) <= TPK::resabs * TPK::resabs) {
      return outcome::failure(face_error(f, "spans no area"));
    }
    const TPK::vector3 unit = TPK::normalised(n);
    const TPK::position& origin = points[static_cast<std::size_t>(loop[0])];
    for (int index : loop) {
      if (std::abs(TPK::dot(points[static_cast<std::size_t>(index)] - origin, unit)) >
          TPK::resabs) {
        return outcome::failure(face_error(f, "is not planar"));
      }
    }
    for (std::size_t i = 0; i < loop.size(); ++i) {
      const int a = loop[i], b = loop[(i + 1) % loop.size()];
      if (TPK::same_point(points[static_cast<std::size_t>(a)],
                          points[static_cast<std::size_t>(b)])) {
        return outcome::failure(face_error(f, "has an edge of zero length"));
      }
      used[static_cast<std::size_t>(a)] = 1;
      edge_use& use = edges[edge_key(a, b)];
      if (use.uses == 0) {
        use.start = a;
      } else if (use.uses >= 2) {
        return outcome::failure(face_error(f, "uses an edge that two faces use already"));
      } else if (use.start == a) {
        return outcome::failure(
            face_error(f, "uses an edge in the same direction as another face"));
      }
      ++use.uses;
    }
  }

  TPK::operation_scope scope;
  BODY* made = topology_editor::new_body();
  std::vector<VERTEX*> vertex_of(num_points, nullptr);
  for (std::size_t i = 0; i < num_points; ++i) {
    if (used[i]) vertex_of[i] = topology_editor::new_vertex(made, points[i]);
  }
  for (auto& entry : edges) entry.second.edge = nullptr;
  for (const std::vector<int>& loop : faces) {
    const TPK::position& origin = points[static_cast<std::size_t>(loop[0])];
    const TPK::vector3 x_axis = points[static_cast<std::size_t>(loop[1])] - origin;
    FACE* face = topology_editor::new_face(
        made, new TPK::plane_surface(origin, TPK::normalised(newell_normal(points, loop)), x_axis),
        false);
    LOOP* l = topology_editor::new_loop(face);
    for (std::size_t i = 0; i < loop.size(); ++i) {
      const int a = loop[i], b = loop[(i + 1) % loop.size()];
      edge_use& use = edges[edge_key(a, b)];
      if (use.edge == nullptr) {
        const TPK::position& pa = points[static_cast<std::size_t>(a)];
        const TPK::position& pb = points[static_cast<std::size_t>(b)];
        use.edge = topology_editor::new_edge(
            made, new TPK::straight_curve(pa, pb - pa), vertex_of[static_cast<std::size_t>(a)],
            vertex_of[static_cast<std::size_t>(b)], 0.0, TPK::distance(pa, pb));
      }
      topology_editor::append_coedge(l, use.edge, use.start != a);
    }
  }
  scope.commit();
  body = made;
  return outcome();
}

}  // namespace TPI_BUILD
