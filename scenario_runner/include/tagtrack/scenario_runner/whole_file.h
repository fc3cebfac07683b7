// Files the runner and the command write appear whole or not at all: a reader never finds half a
// picture or half a report, whether the disk filled or memory ran out on the way.
#pragma once

#include <string>

#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

// Writes `text` to a file beside `path`, then renames it to `path`, replacing what was there. False
// when it cannot, with `path` as it was and nothing else left behind.
TAGTRACK_SCENARIOS_EXPORT bool write_whole_file(const std::string& path, const std::string& text);

}  // namespace tagtrack::scenarios
