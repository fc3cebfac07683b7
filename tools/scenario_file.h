// Scenario files: a parametric feature history, references taken on it, and edits that regenerate
// it, with where each reference's entity must be found after each edit. The format is described
// in docs/scenarios.md.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tagtrack_tool {

struct point3 {
  double x = 0, y = 0, z = 0;
};

struct scenario_reference {
  std::string name, after, kind;  // kind: "face", "edge" or "vertex"
  point3 pick;
};

// Where a reference's entity is after a step: the entity containing `point`, or none.
struct expectation {
  bool lost = false;
  point3 point;
};

struct scenario_step {
  nlohmann::json changes;  // the step's change list as written
  std::map<std::string, expectation> expect;
};

struct scenario {
  std::string file, name, stands_for;
  nlohmann::json features;  // the first build's features, in order
  std::vector<scenario_reference> references;
  std::vector<scenario_step> edits;
};

// Reads and checks a scenario file; false with one line naming the file, the feature or reference
// and the reason in `error`.
bool read_scenario(const std::string& path, scenario& out, std::string& error);

// The same for the scenario held in `text`, read from `path`, which the error names. Any text
// gives true or false with `error` set; nothing of the JSON library's exceptions escapes.
bool read_scenario_text(const std::string& text, const std::string& path, scenario& out,
                        std::string& error);

// The features after applying a step's changes to `features`; false with the reason in `error`
// (a change naming no feature, removing one still in use, ...).
bool apply_changes(const scenario& s, const nlohmann::json& changes, nlohmann::json& features,
                   std::string& error);

// The references a feature consumes (fillet and chamfer edges, a prism's sketch_on face), in the
// order the feature names them.
std::vector<std::string> consumed_by(const nlohmann::json& feature);

}  // namespace tagtrack_tool
