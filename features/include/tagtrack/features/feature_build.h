// A feature run on Open CASCADE: the result shape, what became of its inputs' faces, edges and
// vertices, and the faces it made with the role each plays in it, from which the tagging scheme
// names them.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <BRepTools_History.hxx>
#include <TopoDS_Shape.hxx>

#include <tagtrack/features/feature.h>
#include <tagtrack/features/features_export.h>
#include <tagtrack/kernel/outcome.h>

namespace tagtrack {

// A copy of its target that a feature placed (a mirror's image, copy k of a pattern), with what
// became of the target's faces, edges and vertices in it.
struct placed_copy {
  int index = 1;  // 1 for a mirror's image, k for a pattern's copy k
  TopoDS_Shape shape;
  Handle(BRepTools_History) history;
};

struct feature_run {
  TopoDS_Shape result;
  std::vector<std::string> input_ids;  // the features whose results it used, object first
  // What became of the inputs' faces, edges and vertices: null for a feature that makes a new
  // solid, passes its target through or gives its one placed copy as its result (a mirror). For a
  // pattern, what became of the target's (copy 0's) and the placed copies' in the fuse.
  Handle(BRepTools_History) history;
  // The copies of the target the feature placed, in the order of their indices.
  std::vector<placed_copy> copies;
  // Faces of the result the feature made from input faces, each a copy of the face it came from (a
  // shell's inner face offsets an outer face): they carry that face's identity, told apart from it.
  std::vector<TopoDS_Shape> derived_faces;
  // Faces of the result that an input face the feature removed became (a shell's rim, where the
  // opening is): they carry that face's identity, marked as what is left of it, so that a reference
  // to the face itself is lost when the face is removed, not moved to the rim.
  std::vector<TopoDS_Shape> remains_of_removed;
  // Faces of the result the feature made along an input edge (where a shell's wall turns round a
  // concave edge), each with the input faces that edge parted: they carry those faces' tags, marked
  // as made between them.
  std::vector<std::pair<TopoDS_Shape, std::vector<TopoDS_Shape>>> made_between;
  // The faces the feature made, each with its role: "top", "bottom", "front", ... for a box;
  // "side" for a cylinder's lateral face; "side<n>" for the prism or revolve side raised on the
  // sketch segment of persistent number n; "start" and "end" for the caps of a partial revolve; for
  // a fillet or chamfer, the name of the edge reference whose edge the face replaced.
  std::vector<std::pair<TopoDS_Shape, std::string>> made_faces;
  // The vertices the feature made that no two faces meet at, so that the faces around them cannot
  // tell them apart: a revolve's poles, where a profile point on the axis closes a face, each with
  // the role "<face role>.pole" of the face it closes.
  std::vector<std::pair<TopoDS_Shape, std::string>> made_vertices;
  // For a prism or revolve: the profile face's edges in the order Open CASCADE explores them, each
  // with what the sweep generated from it (the maker's Generated), as Open CASCADE's modelling
  // drivers load a sweep's lateral faces.
  std::vector<std::pair<TopoDS_Shape, std::vector<TopoDS_Shape>>> swept_edges;
  // For a prism or revolve: the profile face it swept.
  TopoDS_Shape profile;
};

// What a feature runs on: the results of earlier features by id, the one entity each reference
// it consumes resolved to, and for a prism or revolve the persistent numbers of its profile's
// segments (by position; empty for the positions themselves).
struct feature_inputs {
  const std::map<std::string, TopoDS_Shape>* results = nullptr;
  std::map<std::string, TopoDS_Shape> consumed;
  std::vector<int> segment_numbers;
};

// Runs `f`; fails with the reason when Open CASCADE fails, an input is missing, or a parameter
// makes no shape (a polygon of no area, a zero height, a sketch face that is not planar). Nothing
// of Open CASCADE's exceptions escapes.
TAGTRACK_FEATURES_EXPORT outcome run_feature(const feature& f, const feature_inputs& in,
                                             feature_run& run);

}  // namespace tagtrack
