// `tagtrack selfcheck PART [--json] [--details]`: how well the library names the entities of a
// real part.
#pragma once

#include <CLI/CLI.hpp>

namespace tagtrack_tool {

void add_selfcheck(CLI::App& app);

}  // namespace tagtrack_tool
