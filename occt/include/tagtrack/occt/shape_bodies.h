// Kernel bodies backed by Open CASCADE shapes.
//
// An imported shape becomes one body whose faces, edges and vertices correspond one to one to the
// shape's, in TopExp::MapShapes order; its loops follow the faces' wires (outer wire first) and
// its coedges the wires' edges, a seam edge used twice by its face, a degenerate edge (a sphere's
// pole) closed on its vertex. Face surfaces and edge curves are the shape's own: Open CASCADE
// evaluates them, and parameters are its parametrisation. The operations in operations.h change
// the shape behind a body and carry the body's entities over to the result.
#pragma once

#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Vertex.hxx>
#include <memory>
#include <vector>

#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>
#include <tagtrack/occt/occt_export.h>

namespace TPI_OCCT {

// Makes a body of `shape`, a solid, shell or face or a compound of them, in the current default
// history stream. Fails, making nothing, for any other shape, a face without a surface, an edge
// without both vertices, or a shape whose body would not pass the validity check (loops that close
// only within Open CASCADE's tolerances). Nothing of Open CASCADE's exceptions escapes.
TAGTRACK_OCCT_EXPORT outcome import_shape(const TopoDS_Shape& shape, BODY*& body);

// Registers the Open CASCADE geometry family ("occt-shape") with the kernel's model files, so that
// a file holding bodies backed by shapes can be read before any shape was imported (importing
// registers it too).
TAGTRACK_OCCT_EXPORT void register_model_file_geometry();

// The shape behind `body`; a null shape for a body the reference kernel made.
TAGTRACK_OCCT_EXPORT TopoDS_Shape shape_of(const BODY* body);

// The sub-shape behind an entity, with its location and its orientation in the body's shape; a
// null shape for an entity of a body the reference kernel made.
TAGTRACK_OCCT_EXPORT TopoDS_Face face_shape(const FACE* face);
TAGTRACK_OCCT_EXPORT TopoDS_Edge edge_shape(const EDGE* edge);
TAGTRACK_OCCT_EXPORT TopoDS_Vertex vertex_shape(const VERTEX* vertex);

// The parameter of its face's surface that a seam closes across: 'u' for an edge that the face
// meets on both sides a u period apart (Open CASCADE puts the seam of a cylinder, cone, sphere or
// surface of revolution at u = 0, along the surface's local X direction), 'v' for one a v period
// apart (a torus's second seam). 0 for an edge that is no seam, and for an edge of a body the
// reference kernel made.
TAGTRACK_OCCT_EXPORT char seam_parameter(const EDGE* edge);

// The other way: the entities of a body by sub-shape of its current shape (TopoDS_Shape::IsSame),
// in a table made once. The table is valid until the body changes.
class TAGTRACK_OCCT_EXPORT shape_entities {
 public:
  explicit shape_entities(const BODY* body);
  ~shape_entities();
  shape_entities(const shape_entities&) = delete;
  shape_entities& operator=(const shape_entities&) = delete;

  // Null when `shape` is not a face (edge, vertex) of the body's shape.
  FACE* face(const TopoDS_Shape& shape) const;
  EDGE* edge(const TopoDS_Shape& shape) const;
  VERTEX* vertex(const TopoDS_Shape& shape) const;

 private:
  struct tables;
  std::unique_ptr<tables> m_tables;
};

}  // namespace TPI_OCCT
