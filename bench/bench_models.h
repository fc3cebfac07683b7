// Models for the benchmarks: square sheets of unit squares, optionally tagged, built once per size
// and kept for the whole run (never deleted: at exit the kernel's statics may be gone already).
#pragma once

#include <cstdint>
#include <map>
#include <tuple>
#include <string>
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
      auto* def = new TPI_TAGGING_TRACKING::generic_tag_attrib_def(
          TPK::tpk_array<char>(id.data(), id.size()));
      if (operation > 0) def->prepend_operation_id(operation, false);
      ATTRIB_CUSTOM* attrib = nullptr;
      TPI_CUSTOM_ENTITY::add_attrib(e, def, attrib);
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

}  // namespace bench_models
