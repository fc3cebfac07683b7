// The geometry of faces and edges of bodies backed by an Open CASCADE shape. Every surface and
// curve of such a body shares the body's shape record, which holds the shape and its faces, edges
// and vertices in TopExp::MapShapes order; a surface knows its face by index there, a curve its
// edge. Because the kernel's history keeps geometry that was replaced, the shape behind a body
// rolls back and forward with the body.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <GeomAdaptor_Surface.hxx>
#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
#include <ShapeAnalysis_Surface.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>

#include <tagtrack/kernel/geometry/outside.h>
#include <tagtrack/kernel/topology/topology.h>

namespace tagtrack_occt {

// The family name of Open CASCADE geometry in model files.
inline constexpr const char* family_name = "occt-shape";

class shape_record final : public TPK::geometry_source {
 public:
  explicit shape_record(const TopoDS_Shape& shape);
  // A record read from `text`, which it writes back unchanged (Open CASCADE's text of a shape it
  // read back may differ in cached flags).
  shape_record(const TopoDS_Shape& shape, std::string text);
  const char* family() const override { return family_name; }
  // The shape's text, made on the first save and kept: Open CASCADE's algorithms change flags of
  // the shapes they take in (a shape added to a compound is no longer free), and a record's text
  // must not change with what was later built from its shape.
  bool save(std::string& text) const override;

  const TopoDS_Shape& shape() const { return m_shape; }
  const TopTools_IndexedMapOfShape& faces() const { return m_faces; }
  const TopTools_IndexedMapOfShape& edges() const { return m_edges; }
  const TopTools_IndexedMapOfShape& vertices() const { return m_vertices; }

 private:
  TopoDS_Shape m_shape;
  TopTools_IndexedMapOfShape m_faces, m_edges, m_vertices;
  mutable std::string m_text;  // the text read, or the one the first save made
};

using record_ptr = std::shared_ptr<const shape_record>;

// The surface of face `index` (1-based) of the record.
class face_surface final : public TPK::outside_surface {
 public:
  face_surface(record_ptr record, int index);
  const char* type_name() const override { return family_name; }
  TPK::position eval(const TPK::par_pos& uv) const override;
  TPK::vector3 normal(const TPK::par_pos& uv) const override;
  bool param(const TPK::position& p, TPK::par_pos& uv, const TPK::par_pos* guess) const override;
  bool periodic_u() const override;
  bool periodic_v() const override;
  surface* copy() const override;
  void transform(const TPK::transf& t) override;
  const std::shared_ptr<const TPK::geometry_source>& source() const override { return m_source; }
  bool save(std::string& text) const override;
  bool same_surface(const surface& other) const override;
  bool planar() const override;

  int index() const { return m_index; }
  const shape_record& record() const { return *m_record; }
  const TopoDS_Face& face() const { return m_face; }

 private:
  std::shared_ptr<const TPK::geometry_source> m_source;
  const shape_record* m_record;
  int m_index;
  TopoDS_Face m_face;
  Handle(Geom_Surface) m_surface;
  GeomAdaptor_Surface m_adaptor;  // its kind, and the elementary surface when it is one
  double m_tolerance;
  mutable Handle(ShapeAnalysis_Surface) m_analysis;  // made on first use

  // The parameters of the face's vertices, from the curves on the face of their edges, by the
  // vertices' points (ordered by x): a point of a vertex of the face is found in this table rather
  // than projected onto a surface that has no closed form. Made on first use and shared by copies;
  // a moved surface has none, as its vertices' points moved with it.
  struct vertex_parameters {
    TPK::position point;
    TPK::par_pos uv;
  };
  using vertex_table = std::vector<vertex_parameters>;
  const vertex_table* vertex_parameter_table() const;
  // The parameters of the vertex at `p`, or null when no vertex of the face is there.
  const TPK::par_pos* vertex_parameters_at(const TPK::position& p) const;
  mutable std::shared_ptr<const vertex_table> m_vertices;
  bool m_moved = false;
};

// The curve of edge `index` (1-based) of the record, run in the edge's forward direction. At the
// ends of its range it gives its vertices' points exactly, so that an edge whose curve passes its
// vertices within their tolerance still runs between them.
class edge_curve final : public TPK::outside_curve {
 public:
  edge_curve(record_ptr record, int index);
  const char* type_name() const override { return family_name; }
  TPK::position eval(double t) const override;
  TPK::vector3 tangent(double t) const override;
  bool param(const TPK::position& p, double& t) const override;
  bool periodic() const override;
  curve* copy() const override;
  void transform(const TPK::transf& t) override;
  const std::shared_ptr<const TPK::geometry_source>& source() const override { return m_source; }
  bool save(std::string& text) const override;

  int index() const { return m_index; }
  const shape_record& record() const { return *m_record; }
  const TopoDS_Edge& edge() const { return m_edge; }
  double first() const { return m_first; }
  double last() const { return m_last; }

 private:
  std::shared_ptr<const TPK::geometry_source> m_source;
  const shape_record* m_record;
  int m_index;
  TopoDS_Edge m_edge;              // oriented forward
  Handle(Geom_Curve) m_curve;      // null for a degenerate edge
  double m_first = 0, m_last = 0;  // the edge's range
  TPK::position m_start, m_end;    // its vertices' points
  double m_tolerance;
};

// The record behind a face's surface or an edge's curve, or null for kernel geometry.
const face_surface* surface_of(const FACE* face);
const edge_curve* curve_of(const EDGE* edge);

// Registers the family with the kernel's model files (once).
void register_family();

}  // namespace tagtrack_occt
