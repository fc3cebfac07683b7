// The scenario file reader: JSON into a scenario, every step checked as it will be applied.
#pragma once

#include <string>

#include <tagtrack/kernel/outcome.h>
#include <tagtrack/scenario_runner/scenario.h>
#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

// Reads and checks the file at `path`; fails with one line naming the file, the feature or the
// reference and what is wrong with it.
TAGTRACK_SCENARIOS_EXPORT outcome read_scenario(const std::string& path, scenario& out);

// The same for the scenario held in `text`, read from `path`, which the message names. Any text
// gives a scenario or a failure; nothing of the JSON library's exceptions escapes.
TAGTRACK_SCENARIOS_EXPORT outcome read_scenario_text(const std::string& text,
                                                     const std::string& path, scenario& out);

}  // namespace tagtrack::scenarios
