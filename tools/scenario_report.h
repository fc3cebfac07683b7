// The scenario runner's report: an HTML page per run with a picture per scenario and step, the
// model drawn with hidden lines removed and each reference's resolved entity highlighted per
// method in its own colour beside the expected one.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

namespace tagtrack_tool {

// What one step shows: the model (the last feature's result of the first method's build), and per
// reference the expected entity and what each method found.
struct step_picture {
  std::string scenario;
  int step = 0;
  TopoDS_Shape model;
  std::string model_method;  // the method whose build the model is
  std::map<std::string, TopoDS_Shape> expected;
  std::map<std::string, std::map<std::string, std::vector<TopoDS_Shape>>> found;
  std::map<std::string, std::map<std::string, std::string>> verdicts;
};

// Writes DIR/index.html; false with the reason when the folder cannot be written.
bool write_report(const std::string& dir, const std::vector<step_picture>& pictures,
                  const std::vector<std::string>& methods, std::string& error);

}  // namespace tagtrack_tool
