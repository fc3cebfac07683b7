// The boundary representation. A BODY holds faces, edges and vertices; a FACE lies on a surface
// and is bounded by loops; a LOOP is a cycle of coedges; a COEDGE is one side of an edge as used by
// one loop, running with or against the edge; an EDGE lies on a curve between a start and an end
// vertex (the same vertex for a closed edge); a VERTEX has a point.
//
// Orientation: walking a loop along its coedges, the face lies on the left when seen from the
// side its normal points to (the surface normal, reversed for a reversed face). The two coedges of
// a manifold edge run in opposite directions and are each other's partner; a face may use one edge
// twice (the seam of a periodic surface), its two coedges then partners within one loop.
//
// The body keeps its faces, edges and vertices in kernel order: the order in which they joined the
// body. Removing an entity moves the last one of its list into its place. Everything here is read
// only; models change only through the kernel's construction and modelling operations.
#pragma once

#include <cstddef>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/geometry/curve.h>
#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/geometry/surface.h>
#include <tagtrack/kernel/heap.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/topology/entity.h>

// Each class keeps the fields that modelling changes in one `links` structure, which the history
// saves and swaps back as a whole; geometry is exchanged separately.

class TPK_KERNEL_EXPORT BODY final : public ENTITY {
 public:
  entity_kind kind() const override { return entity_kind::body; }
  const char* type_name() const override { return "body"; }
  BODY* body() const override { return const_cast<BODY*>(this); }

  const TPK::kernel_vector<FACE*>& faces() const { return m_faces; }
  const TPK::kernel_vector<EDGE*>& edges() const { return m_edges; }
  const TPK::kernel_vector<VERTEX*>& vertices() const { return m_vertices; }
  // The history stream that was the default when the body was made.
  HISTORY_STREAM* history() const { return m_history; }

 private:
  friend struct tpk_detail::topology_editor;
  struct links {};
  BODY() = default;
  ~BODY() override;
  links m_links;
  TPK::kernel_vector<FACE*> m_faces;
  TPK::kernel_vector<EDGE*> m_edges;
  TPK::kernel_vector<VERTEX*> m_vertices;
  HISTORY_STREAM* m_history = nullptr;
};

class TPK_KERNEL_EXPORT FACE final : public ENTITY {
 public:
  entity_kind kind() const override { return entity_kind::face; }
  const char* type_name() const override { return "face"; }
  BODY* body() const override { return m_links.body; }

  const surface* geometry() const { return m_surface; }
  // True when the face's outward side is against the surface normal.
  bool reversed() const { return m_links.reversed; }
  const TPK::kernel_vector<LOOP*>& loops() const { return m_links.loops; }

 private:
  friend struct tpk_detail::topology_editor;
  struct links {
    BODY* body = nullptr;
    bool reversed = false;
    TPK::kernel_vector<LOOP*> loops;
  };
  FACE() = default;
  ~FACE() override;
  links m_links;
  surface* m_surface = nullptr;  // owned
  std::size_t m_index = 0;       // position in the body's face list
};

class TPK_KERNEL_EXPORT LOOP final : public ENTITY {
 public:
  entity_kind kind() const override { return entity_kind::loop; }
  const char* type_name() const override { return "loop"; }
  BODY* body() const override;

  FACE* face() const { return m_links.face; }
  COEDGE* first() const { return m_links.first; }

 private:
  friend struct tpk_detail::topology_editor;
  struct links {
    FACE* face = nullptr;
    COEDGE* first = nullptr;
  };
  LOOP() = default;
  ~LOOP() override;
  links m_links;
};

class TPK_KERNEL_EXPORT COEDGE final : public ENTITY {
 public:
  entity_kind kind() const override { return entity_kind::coedge; }
  const char* type_name() const override { return "coedge"; }
  BODY* body() const override;

  LOOP* loop() const { return m_links.loop; }
  EDGE* edge() const { return m_links.edge; }
  COEDGE* next() const { return m_links.next; }
  COEDGE* previous() const { return m_links.previous; }
  // The next coedge of the same edge (a ring); null when the edge has no other coedge.
  COEDGE* partner() const { return m_links.partner; }
  // True when the coedge runs from the edge's end to its start.
  bool reversed() const { return m_links.reversed; }
  VERTEX* start() const;
  VERTEX* end() const;

 private:
  friend struct tpk_detail::topology_editor;
  struct links {
    LOOP* loop = nullptr;
    EDGE* edge = nullptr;
    COEDGE* next = nullptr;
    COEDGE* previous = nullptr;
    COEDGE* partner = nullptr;
    bool reversed = false;
  };
  COEDGE() = default;
  ~COEDGE() override;
  links m_links;
};

class TPK_KERNEL_EXPORT EDGE final : public ENTITY {
 public:
  entity_kind kind() const override { return entity_kind::edge; }
  const char* type_name() const override { return "edge"; }
  BODY* body() const override { return m_links.body; }

  const curve* geometry() const { return m_curve; }
  VERTEX* start() const { return m_links.start; }
  VERTEX* end() const { return m_links.end; }
  bool closed() const { return m_links.start == m_links.end; }
  // The edge runs along its curve from t_start to t_end (t_start < t_end).
  double t_start() const { return m_links.t_start; }
  double t_end() const { return m_links.t_end; }
  // One coedge of the edge; the others follow through COEDGE::partner().
  COEDGE* coedge() const { return m_links.coedge; }

 private:
  friend struct tpk_detail::topology_editor;
  struct links {
    BODY* body = nullptr;
    VERTEX* start = nullptr;
    VERTEX* end = nullptr;
    double t_start = 0.0, t_end = 0.0;
    COEDGE* coedge = nullptr;
  };
  EDGE() = default;
  ~EDGE() override;
  links m_links;
  curve* m_curve = nullptr;  // owned
  std::size_t m_index = 0;
};

class TPK_KERNEL_EXPORT VERTEX final : public ENTITY {
 public:
  entity_kind kind() const override { return entity_kind::vertex; }
  const char* type_name() const override { return "vertex"; }
  BODY* body() const override { return m_links.body; }

  const TPK::position& point() const { return m_links.point; }
  // The edges that start or end here, in the order they were attached.
  const TPK::kernel_vector<EDGE*>& edges() const { return m_links.edges; }

 private:
  friend struct tpk_detail::topology_editor;
  struct links {
    BODY* body = nullptr;
    TPK::position point;
    TPK::kernel_vector<EDGE*> edges;
  };
  VERTEX() = default;
  ~VERTEX() override;
  links m_links;
  std::size_t m_index = 0;
};
