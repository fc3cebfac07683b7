// The faces around a vertex, grouped into fans. A corner of a face at a vertex is a coedge that
// starts there. Seen from outside the body, turning clockwise about the vertex leads from a corner
// across the edge of its outgoing coedge to the neighbouring face's corner whose incoming coedge is
// that edge's partner. A fan is a maximal chain of corners linked so: closed when it returns to its
// start (every vertex of a closed manifold solid has one closed fan), open when it ends at an edge
// with no other face (a vertex on the boundary of a sheet). Faces that touch only at the vertex lie
// in different fans. A face that has two corners at the vertex (a seam) appears twice.
//
// Where fans start and how they are ordered:
// - an open fan starts at its corner whose incoming edge has no other face;
// - a closed fan starts at its corner whose face comes first in the body's face list; when that
//   face has two corners there, at the one met first walking its loops in order, each from its
//   first coedge;
// - fans are ordered by their first corner, compared the same way.
#pragma once

#include <cstddef>
#include <cstdint>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/tpk_array.h>

enum fan_type {
  fan_type_closed = 0,  // the faces go all the way round the vertex
  fan_type_open = 1,    // the fan ends at boundary edges on both sides
};

class TPK_KERNEL_EXPORT TPI_ORDERED_FACES_ON_VERTEX {
 public:
  explicit TPI_ORDERED_FACES_ON_VERTEX(VERTEX* vertex);
  TPI_ORDERED_FACES_ON_VERTEX(const TPI_ORDERED_FACES_ON_VERTEX&) = delete;
  TPI_ORDERED_FACES_ON_VERTEX& operator=(const TPI_ORDERED_FACES_ON_VERTEX&) = delete;
  ~TPI_ORDERED_FACES_ON_VERTEX();

  // Computes the fans; fails for a null vertex (then there are no fans).
  outcome compute();
  std::uint64_t get_num_fans() const;
  // Fills `faces` with the faces of fan `index` in order and `type` with its kind; fails for an
  // index out of range, leaving both untouched.
  outcome get_fan(std::uint64_t index, fan_type& type, TPK::tpk_array<FACE*>& faces) const;

 private:
  struct fan {
    fan_type type;
    const COEDGE* start;  // the fan's first corner
    std::size_t first;    // range in m_faces
    std::size_t count;
  };
  VERTEX* m_vertex;
  TPK::kernel_vector<fan> m_fans;
  TPK::kernel_vector<FACE*> m_faces;
};
