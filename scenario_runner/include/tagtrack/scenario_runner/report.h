// The scenario runner's report: an HTML page per run with a picture per scenario and step, the
// model drawn with hidden lines removed and each reference's resolved entity highlighted per
// method in its own colour beside the expected one.
#pragma once

#include <string>
#include <vector>

#include <tagtrack/kernel/outcome.h>
#include <tagtrack/scenario_runner/runner.h>
#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

// Writes DIR/index.html; fails with the reason when the folder cannot be written.
TAGTRACK_SCENARIOS_EXPORT outcome write_report(const std::string& dir,
                                               const std::vector<step_picture>& pictures,
                                               const std::vector<std::string>& methods);

}  // namespace tagtrack::scenarios
