// Topology and geometry queries. Every list comes in kernel order, which depends only on how the
// model was built: the same on every call over an unchanged model, and corresponding for two
// models built the same way. A local query costs in proportion to its answer.
//   get_faces    BODY: its faces. EDGE: the face of each coedge of the edge, starting at
//                EDGE::coedge() and following the partner ring (a face using the edge twice is
//                listed twice). VERTEX: each face once, in the order of its first corner
//                at the vertex in the fans of TPI_ORDERED_FACES_ON_VERTEX.
//   get_edges    BODY: its edges. FACE: each edge once, in loop order, loops in order; a seam
//                edge is listed at its first coedge. VERTEX: the edges that meet there.
//   get_vertices BODY: its vertices. FACE: each vertex once, in loop order at the start of each
//                coedge. EDGE: start and end (one vertex for a closed edge).
// Any other entity gives an empty list and a failed outcome; the list is always cleared first.
#pragma once

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/tpk_array.h>

namespace TPI_QUERY {

TPK_KERNEL_EXPORT outcome get_faces(ENTITY* entity, TPK::tpk_array<FACE*>& faces);
TPK_KERNEL_EXPORT outcome get_edges(ENTITY* entity, TPK::tpk_array<EDGE*>& edges);
TPK_KERNEL_EXPORT outcome get_vertices(ENTITY* entity, TPK::tpk_array<VERTEX*>& vertices);
// The vertex's point; fails for a null vertex and leaves `point` unchanged.
TPK_KERNEL_EXPORT outcome get_point(const VERTEX* vertex, TPK::position& point);

}  // namespace TPI_QUERY

namespace TPK {

// Read view of a face.
class TPK_KERNEL_EXPORT FACE_const_xs {
 public:
  explicit FACE_const_xs(const FACE* face) : m_face(face) {}
  // The face's surface; null for a null face.
  const surface* geometry() const;
  bool is_planar() const;

 private:
  const FACE* m_face;
};

// Read view of a surface.
class TPK_KERNEL_EXPORT surface_const_xs {
 public:
  explicit surface_const_xs(const surface* s) : m_surface(s) {}
  // The (u, v) of `p` on the surface (see surface.h for ranges); false for a null surface or a
  // point not on it.
  bool param(const position& p, par_pos& uv, const par_pos* guess) const;

 private:
  const surface* m_surface;
};

// Wraps a body for enumeration.
class TPK_KERNEL_EXPORT BODY_xs {
 public:
  explicit BODY_xs(BODY* body) : m_body(body) {}
  BODY* get() const { return m_body; }
  operator BODY*() const { return m_body; }

 private:
  BODY* m_body;
};

}  // namespace TPK
