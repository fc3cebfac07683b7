// The scenario modeller's features on Open CASCADE: each feature's result shape, the history of
// its inputs' faces, edges and vertices, and the names its tagging gives the faces it makes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <BRepTools_History.hxx>
#include <TopoDS_Shape.hxx>
#include <nlohmann/json.hpp>

namespace tagtrack_tool {

struct feature_run {
  TopoDS_Shape result;
  std::vector<std::string> input_ids;  // the features whose results it used, object first
  // What became of the inputs' faces, edges and vertices (null for a feature that makes a new
  // solid, or passes its target through).
  Handle(BRepTools_History) history;
  // The faces the feature made, each with the name its tagging gives it: "<id>.top",
  // "<id>.side2" (standing on segment 2 of the sketch), "<id>.rim" (the fillet face that replaced
  // the edge referenced as "rim"), ...
  std::vector<std::pair<TopoDS_Shape, std::string>> named_faces;
};

// Runs feature `f` on the results of earlier features. `consumed` gives, for each reference the
// feature consumes (fillet and chamfer edges, a prism's sketch_on face), the one entity it was
// resolved to. False with the reason when Open CASCADE fails or a parameter is malformed.
bool run_feature(const nlohmann::json& f, const std::map<std::string, TopoDS_Shape>& results,
                 const std::map<std::string, TopoDS_Shape>& consumed, feature_run& run,
                 std::string& why);

// The entities of `kind` ("face", "edge", "vertex") of `shape` that contain `p` within 1e-6.
std::vector<TopoDS_Shape> entities_at(const TopoDS_Shape& shape, const std::string& kind, double x,
                                      double y, double z);

}  // namespace tagtrack_tool
