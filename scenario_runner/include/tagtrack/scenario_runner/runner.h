// The scenario runner: builds a scenario's history with each naming method, regenerates it from
// scratch after each edit, and scores how each method finds every reference again.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

#include <tagtrack/features/naming_scheme.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/scenario_runner/scenario.h>
#include <tagtrack/scenario_runner/scenarios_export.h>
#include <tagtrack/scenario_runner/verdict.h>

namespace tagtrack::scenarios {

// "tagtrack", "tnaming", "index": every method the runner knows, in the order it shows them.
TAGTRACK_SCENARIOS_EXPORT const std::vector<std::string>& method_names();
// The naming scheme of a method; null for an unknown name.
TAGTRACK_SCENARIOS_EXPORT std::unique_ptr<naming_scheme> make_method(const std::string& name);

// One reference, in one step, by one method.
struct scenario_result {
  std::string scenario, reference, method;
  int step = 0;        // 0 for the first build
  std::string family;  // the step's family of edit; "first build" for step 0
  scenarios::verdict verdict = verdict::failed;
  bool expected_among = false;  // ambiguous: whether the right entity is among those found
  double time_us = 0;
};

// A feature that did not run in one step of one method's build, and why: Open CASCADE failed on
// it, or the method could not follow a feature it depends on.
struct feature_failure {
  std::string scenario, method, feature, reason;
  int step = 0;
};

// What the report draws of one step: the model (the last result of the first method's build),
// and per reference the expected entity and what each method found, with its verdict.
struct step_picture {
  std::string scenario;
  int step = 0;
  std::string edit;  // the step's changes in words (edit_caption): "block height 10 → 14"
  TopoDS_Shape model;
  std::string model_method;
  std::map<std::string, TopoDS_Shape> expected;
  std::map<std::string, std::map<std::string, std::vector<TopoDS_Shape>>> found;
  std::map<std::string, std::map<std::string, scenarios::verdict>> verdicts;
};

// Runs a scenario with the methods named; fails with the reason when the file is invalid (a pick or
// an expected point on no entity or on several of the picked-entity history, in which every
// reference is the entity its point lies on). Results come grouped by step and reference, methods
// in the order given. `pictures`, when given, receives one per step, and `failures` every feature
// that did not run in a method's build, in the order the builds met them.
TAGTRACK_SCENARIOS_EXPORT outcome run_scenario(const scenario& s,
                                               const std::vector<std::string>& methods,
                                               std::vector<scenario_result>& results,
                                               std::vector<step_picture>* pictures = nullptr,
                                               std::vector<feature_failure>* failures = nullptr);

// The results as a table per scenario, each followed by the features that failed, and a summary per
// method; and as one JSON object.
TAGTRACK_SCENARIOS_EXPORT std::string results_table(
    const std::vector<scenario_result>& results, const std::vector<std::string>& methods,
    const std::vector<feature_failure>& failures = {});
TAGTRACK_SCENARIOS_EXPORT std::string results_json(
    const std::vector<scenario_result>& results, const std::vector<feature_failure>& failures = {});

// The median of timings (the upper one of an even count); 0 for none.
TAGTRACK_SCENARIOS_EXPORT double median(std::vector<double> values);

}  // namespace tagtrack::scenarios
