// The self-check of a part: how well the library names the entities of a real part. The part is
// imported, each face tagged as an application that just imported it would, every face, edge and
// vertex remembered as a recipe, the model saved to a model file and restored, and every recipe,
// read back from its text, resolved in the restored model.
#pragma once

#include <string>
#include <vector>

#include <tagtrack/kernel/outcome.h>
#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

// Per kind of entity, how its references resolved: to the entity itself alone (right), to
// several with itself among them (ambiguous), to others only (wrong), to nothing (lost).
struct verdict_counts {
  int right = 0, ambiguous = 0, wrong = 0, lost = 0;
};

struct selfcheck_report {
  std::string file;
  std::size_t bodies = 0;
  verdict_counts faces, edges, vertices;
  // Edges and vertices not right that have one face on every side (seams and poles of periodic
  // faces).
  int seams_not_right = 0;
  double track_us_median = 0, match_us_median = 0;
  // One line per entity not right: what it is, its verdict and its recipe.
  std::vector<std::string> details;
};

// Runs the check; fails with the reason when the part cannot be read.
TAGTRACK_SCENARIOS_EXPORT outcome run_selfcheck(const std::string& path, selfcheck_report& report);

// The report as a table (with the entities not right when `details`), and as one JSON object.
TAGTRACK_SCENARIOS_EXPORT std::string selfcheck_text(const selfcheck_report& report, bool details);
TAGTRACK_SCENARIOS_EXPORT std::string selfcheck_json(const selfcheck_report& report);

}  // namespace tagtrack::scenarios
