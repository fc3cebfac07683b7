// The kernel layout of a shape: its faces, edges and vertices in the record's order, each new or
// reusing the entity given for its index.
#pragma once

#include <vector>

#include <tagtrack/kernel/build/body_layout.h>
#include <tagtrack/kernel/outcome.h>

#include <tagtrack/occt/internal/shape_geometry.h>

namespace tagtrack_occt {

// Entities to reuse, indexed like the record's maps (index 0 unused); empty vectors reuse nothing.
struct reuse_plan {
  std::vector<FACE*> faces;
  std::vector<EDGE*> edges;
  std::vector<VERTEX*> vertices;
};

// Degenerate edges (a sphere's pole, a cone's apex) are left out: their vertex is where the face's
// loop turns, as on the kernel's own spheres and cones. `edge_indices` receives the record's index
// of each layout edge. Fails, with the reason, for a shape the kernel cannot hold: a face without a
// surface, an edge without both vertices, without a curve or with an empty range.
outcome layout_of(const record_ptr& record, const reuse_plan& reuse, TPI_BUILD::body_layout& layout,
                  std::vector<int>& edge_indices);

// Whether an edge of a shape is degenerate (and so no kernel edge).
bool is_degenerate(const TopoDS_Shape& edge);

// Whether the shape is a solid, a shell, a face or a compound of them (`allow_face` false: no
// face outside a shell or solid).
bool holds_only_solids_and_shells(const TopoDS_Shape& shape, bool allow_face);

}  // namespace tagtrack_occt
