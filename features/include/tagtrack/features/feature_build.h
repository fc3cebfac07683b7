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

struct feature_run {
  TopoDS_Shape result;
  std::vector<std::string> input_ids;  // the features whose results it used, object first
  // What became of the inputs' faces, edges and vertices: null for a feature that makes a new
  // solid or passes its target through.
  Handle(BRepTools_History) history;
  // The faces the feature made, each with its role: "top", "bottom", "front", ... for a box;
  // "side" for a cylinder's lateral face; "side<n>" for the prism side standing on the sketch
  // segment of persistent number n; for a fillet or chamfer, the name of the edge reference whose
  // edge the face replaced.
  std::vector<std::pair<TopoDS_Shape, std::string>> made_faces;
};

// What a feature runs on: the results of earlier features by id, the one entity each reference
// it consumes resolved to, and for a prism the persistent numbers of its polygon's segments (by
// position; empty for the positions themselves).
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
