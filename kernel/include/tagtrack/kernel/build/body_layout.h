// Laying out a body's whole topology at once: how a modelling kernel outside this one builds
// bodies from its own shapes and carries them over to the results of its operations.
//
// A layout lists the body's vertices, edges and faces, each either new or reusing an existing
// entity, which keeps its identity (and with it its attributes) while its links and geometry are
// replaced. Edges name their vertices and coedges their edges by index in the layout. Loops and
// coedges are always made anew.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <tagtrack/kernel/geometry/curve.h>
#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/geometry/surface.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/operations/change_statement.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_BUILD {

struct body_layout {
  struct vertex {
    VERTEX* reuse = nullptr;  // null: a new vertex
    TPK::position point;
  };
  struct edge {
    EDGE* reuse = nullptr;
    std::unique_ptr<curve> geometry;
    std::size_t start = 0, end = 0;  // vertex indices; equal for a closed edge
    double t_start = 0.0, t_end = 0.0;
  };
  struct coedge {
    std::size_t edge = 0;
    bool reversed = false;  // runs from the edge's end to its start
  };
  struct face {
    FACE* reuse = nullptr;
    std::unique_ptr<surface> geometry;
    bool reversed = false;
    std::vector<std::vector<coedge>> loops;  // each loop's coedges in order, outer loop first
  };
  std::vector<vertex> vertices;
  std::vector<edge> edges;
  std::vector<face> faces;
};

// The entities of a laid out body, index for index with its layout.
struct laid_out {
  std::vector<VERTEX*> vertices;
  std::vector<EDGE*> edges;
  std::vector<FACE*> faces;
};

// A new body without entities, in the current default history stream. Inside an operation_scope.
TPK_KERNEL_EXPORT BODY* new_body();

// Makes `body` what `layout` describes. Run it inside an operation_scope and announce `statement`
// afterwards. Reused entities may come from other bodies, which they leave for `body`; new ones
// join the end of the body's lists in layout order. The loops and coedges of every face of `body`
// and of the bodies reused entities come from are stated lost in `statement`; the faces, edges and
// vertices of those bodies that the layout does not reuse keep their place until the caller states
// what became of them. Geometry moves out of the layout into the entities.
//
// Fails, changing nothing, for a null or dead body, an index out of range, missing geometry, an
// empty parameter range, a loop without coedges, or a reused entity that is dead or reused twice.
TPK_KERNEL_EXPORT outcome lay_out_body(BODY* body, body_layout& layout,
                                       TPK::change_statement& statement, laid_out& made);

// States lost the loops and coedges of every face of `body`: for a body whose faces, edges and
// vertices an operation states lost or moves elsewhere without laying the body out.
TPK_KERNEL_EXPORT void state_loops_lost(const BODY* body, TPK::change_statement& statement);

// A new entity of `like`'s kind in its body, with a copy of its geometry and no topology: a piece
// that lives only within one operation, through which attributes travel where an entity's images
// are shared with others (overlapping bodies): state it split off `like` in one statement, then
// merged into the entity that holds the shared image and lost in a later one. `like` is a live
// face, edge or vertex; inside an operation_scope.
TPK_KERNEL_EXPORT ENTITY* new_piece(ENTITY* like);

}  // namespace TPI_BUILD
