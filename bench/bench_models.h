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
  std::srand(3);
  TT::activateTagManager(true);
  for (std::size_t k = 0; k < count; k += 50) {
    FACE* f = slot.plate->faces()[k];
    TPK::tpk_array<VERTEX*> corners;
    TPI_QUERY::get_vertices(f, corners);
    EDGE* cut = nullptr;
    FACE* piece = nullptr;
    if (corners.size() == 4) TPI_MODEL::split_face(f, corners[0], corners[2], cut, piece);
  }
  TT::manageDupicateTags();
  TPI_BUILD::make_cylinder(1, 2, slot.boss);
  for (std::size_t k = 0; k < slot.boss->faces().size(); ++k) {
    TT::tag_entity(slot.boss->faces()[k], "BOSS.f" + std::to_string(k), 3);
  }
  return slot;
}

}  // namespace bench_models
