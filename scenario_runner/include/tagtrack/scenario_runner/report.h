// The scenario runner's report: an index page with the methods' verdicts counted, the verdict
// words explained and a row per scenario, and a page per scenario with a picture per step and
// reference. Each picture shows the step's model with hidden lines dashed, the right entity as a
// wide green band and each method's answer over it in a style of its own; above the step stands
// its edit in words.
#pragma once

#include <string>
#include <vector>

#include <tagtrack/features/feature.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/scenario_runner/runner.h>
#include <tagtrack/scenario_runner/scenario.h>
#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

// Writes DIR/index.html and one page per scenario beside it, each file whole or not at all, the
// index last so that it never links to a page that is missing; fails with the reason when the
// folder cannot be written.
TAGTRACK_SCENARIOS_EXPORT outcome write_report(const std::string& dir,
                                               const std::vector<step_picture>& pictures,
                                               const std::vector<std::string>& methods);

// A step's changes in words, against the features before it: "block height 10 → 14",
// "boss origin [20, 10, 10] → [20, 10, 16]", "fillet 'round' inserted before 'body' (target
// base, edges base_front_top, radius 2)", "'round' removed"; changes apart by "; ".
TAGTRACK_SCENARIOS_EXPORT std::string edit_caption(const std::vector<feature>& before,
                                                   const std::vector<change>& changes);

}  // namespace tagtrack::scenarios
