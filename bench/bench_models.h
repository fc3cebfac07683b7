// Models for the benchmarks: square sheets of unit squares, optionally tagged, built once per size
// and kept for the whole run (never deleted: at exit the kernel's statics may be gone already).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace bench_models {

// A sheet of about `faces` squares; with `tagged`, face k carries the tag "F<k>" with operation
// id 1, edge k "E<k>" and vertex k "V<k>" (without operation ids); with `faces_only` too, only the
// faces are tagged, as applications tag, so that edges and vertices are found through their faces.
inline BODY* sheet(std::int64_t faces, bool tagged, bool faces_only = false) {
  static std::map<std::tuple<std::int64_t, bool, bool>, BODY*> cache;
  BODY*& slot = cache[{faces, tagged, faces_only}];
  if (slot != nullptr) return slot;
  int side = 1;
  while (static_cast<std::int64_t>(side) * side < faces) ++side;
  std::vector<TPK::position> points;
  points.reserve(static_cast<std::size_t>(side + 1) * static_cast<std::size_t>(side + 1));
  for (int j = 0; j <= side; ++j) {
    for (int i = 0; i <= side; ++i) points.push_back({double(i), double(j), 0});
  }
  std::vector<std::vector<int>> loops;
  loops.reserve(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) {
      const int p = j * (side + 1) + i;
      loops.push_back({p, p + 1, p + side + 2, p + side + 1});
    }
  }
  TPI_BUILD::make_polyhedron(points, loops, slot);
  if (tagged) {
    const auto tag = [](ENTITY* e, const std::string& id, int operation) {
      TPI_TAGGING_TRACKING::tag_entity(e, id, operation);
    };
    for (std::size_t k = 0; k < slot->faces().size(); ++k)
      tag(slot->faces()[k], "F" + std::to_string(k), 1);
    if (faces_only) return slot;
    for (std::size_t k = 0; k < slot->edges().size(); ++k)
      tag(slot->edges()[k], "E" + std::to_string(k), 0);
    for (std::size_t k = 0; k < slot->vertices().size(); ++k) {
      tag(slot->vertices()[k], "V" + std::to_string(k), 0);
    }
  }
  return slot;
}

// An edge and a vertex in the middle of a sheet: neighbourhoods the same whatever its size.
inline EDGE* middle_edge(BODY* body) {
  return body->edges()[body->edges().size() / 2];
}
inline VERTEX* middle_vertex(BODY* body) {
  const auto& v = body->vertices();
  return v[v.size() / 2];
}

// A part as an application would leave it: a plate of about `faces` squares whose faces carry
// "PLATE.f<k>" with the operation ids of the features that made and touched them (1 and 2), every
// fiftieth face cut along its diagonal with the tag manager on and the duplicate pieces
// renumbered, and a cylinder (curved faces, its side tagged) beside it. Edges and vertices carry
// no tags: they are found through their faces.
struct part {
  BODY* plate = nullptr;
  BODY* boss = nullptr;
  std::vector<BODY*> bodies() const { return {plate, boss}; }
};

inline part tagged_part(std::int64_t faces) {
  static std::map<std::int64_t, part> cache;
  part& slot = cache[faces];
  if (slot.plate != nullptr) return slot;
  slot.plate = sheet(faces, false);
  namespace TT = TPI_TAGGING_TRACKING;
  const std::size_t count = slot.plate->faces().size();
  for (std::size_t k = 0; k < count; ++k) {
    ATTRIB_CUSTOM* a = TT::tag_entity(slot.plate->faces()[k], "PLATE.f" + std::to_string(k), 1);
    TT::prepend_operation_id_for_attrib(a, 2, false);
  }
  TT::tag_manager_scope cuts(3);
  for (std::size_t k = 0; k < count; k += 50) {
    FACE* f = slot.plate->faces()[k];
    TPK::tpk_array<VERTEX*> corners;
    TPI_QUERY::get_vertices(f, corners);
    EDGE* cut = nullptr;
    FACE* piece = nullptr;
    if (corners.size() == 4) TPI_MODEL::split_face(f, corners[0], corners[2], cut, piece);
  }
  cuts.resolve_duplicates();
  TPI_BUILD::make_cylinder(1, 2, slot.boss);
  for (std::size_t k = 0; k < slot.boss->faces().size(); ++k) {
    TT::tag_entity(slot.boss->faces()[k], "BOSS.f" + std::to_string(k), 3);
  }
  return slot;
}

// A plate built as a modelling session builds it, with the kernel's own operations: one square
// face tagged "PLATE.top" (operation 1) is cut into a grid of about `faces` unit squares with the
// tag manager on (its border and then every grid line split at each unit, the plate cut into
// strips and each strip into squares; every piece inherits its parent's tags), the duplicate tags
// the cuts leave renumbered by the tag manager, and operation id 2 (the feature that cut it) put
// after every face's operation ids. Edges and vertices carry no tags.
inline BODY* split_plate(std::int64_t faces) {
  static std::map<std::int64_t, BODY*> cache;
  BODY*& slot = cache[faces];
  if (slot != nullptr) return slot;
  namespace TT = TPI_TAGGING_TRACKING;
  int side = 1;
  while (static_cast<std::int64_t>(side) * side < faces) ++side;
  const double n = side;
  TPI_BUILD::make_polyhedron({{0, 0, 0}, {n, 0, 0}, {n, n, 0}, {0, n, 0}}, {{0, 1, 2, 3}}, slot);
  TT::tag_entity(slot->faces()[0], "PLATE.top", 1);
  // grid[j * (side + 1) + i]: the vertex at (i, j).
  std::vector<VERTEX*> grid(static_cast<std::size_t>(side + 1) *
                            static_cast<std::size_t>(side + 1));
  const auto at = [&](int i, int j) -> VERTEX*& {
    return grid[static_cast<std::size_t>(j) * static_cast<std::size_t>(side + 1) +
                static_cast<std::size_t>(i)];
  };
  for (VERTEX* v : slot->vertices()) {
    at(static_cast<int>(v->point().x), static_cast<int>(v->point().y)) = v;
  }
  const auto ends = [](EDGE* e) {
    TPK::tpk_array<VERTEX*> v;
    TPI_QUERY::get_vertices(TPK::as_entity(e), v);
    return std::pair(v[0]->point(), v[v.size() - 1]->point());
  };
  const auto inside = [](const TPK::position& a, const TPK::position& b, const TPK::position& p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
  };
  // The edge from `from` to `to` (adjacent grid vertices on one line) split at every unit between.
  const auto split_line = [&](int i0, int j0, int i1, int j1) {
    EDGE* piece = nullptr;
    TPK::tpk_array<EDGE*> edges;
    TPI_QUERY::get_edges(TPK::as_entity(at(i0, j0)), edges);
    for (EDGE* e : edges) {
      const auto [a, b] = ends(e);
      const TPK::position far{double(i1), double(j1), 0};
      if ((a.x == far.x && a.y == far.y) || (b.x == far.x && b.y == far.y)) piece = e;
    }
    const int steps = std::max(std::abs(i1 - i0), std::abs(j1 - j0));
    for (int k = 1; k < steps; ++k) {
      const int i = i0 + (i1 - i0) * k / steps, j = j0 + (j1 - j0) * k / steps;
      const TPK::position p{double(i), double(j), 0};
      VERTEX* made = nullptr;
      EDGE* rest = nullptr;
      TPI_MODEL::split_edge(piece, p, made, rest);
      at(i, j) = made;
      const TPK::position next{double(i0 + (i1 - i0) * (k + 1) / steps),
                               double(j0 + (j1 - j0) * (k + 1) / steps), 0};
      const auto [a, b] = ends(rest);
      piece = inside(a, b, next) ? rest : piece;
    }
  };
  // The face holding both vertices, cut between them.
  const auto cut = [&](VERTEX* a, VERTEX* b) {
    TPK::tpk_array<FACE*> around_a, around_b;
    TPI_QUERY::get_faces(TPK::as_entity(a), around_a);
    TPI_QUERY::get_faces(TPK::as_entity(b), around_b);
    for (FACE* f : around_a) {
      for (FACE* g : around_b) {
        EDGE* edge = nullptr;
        FACE* piece = nullptr;
        if (f == g && TPI_MODEL::split_face(f, a, b, edge, piece).ok()) return;
      }
    }
  };
  TT::tag_manager_scope splits(2);
  split_line(0, 0, side, 0);
  split_line(0, side, side, side);
  for (int i = 1; i < side; ++i) cut(at(i, 0), at(i, side));
  for (int i = 0; i <= side; ++i) split_line(i, 0, i, side);
  for (int i = 0; i < side; ++i) {
    for (int j = 1; j < side; ++j) cut(at(i, j), at(i + 1, j));
  }
  splits.resolve_duplicates();
  for (FACE* f : slot->faces()) {
    ATTRIB_CUSTOM* tags = TPI_CUSTOM_ENTITY::next_custom_attrib(TPK::as_entity(f), nullptr);
    if (tags != nullptr) TT::prepend_operation_id_for_attrib(tags, 2, false);
  }
  return slot;
}

}  // namespace bench_models
