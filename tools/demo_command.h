// `tagtrack demo [--kernel occt|reference]`: the road of one reference, as the README's main job.
#pragma once

#include <CLI/CLI.hpp>

namespace tagtrack_tool {

void add_demo(CLI::App& app);

}  // namespace tagtrack_tool
