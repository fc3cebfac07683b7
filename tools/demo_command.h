// `tagtrack demo [--svg FILE]`: the road of one reference, as the
// README's main job, with its recipe as a tree and, on request, a picture of the model before and
// after the edit.
#pragma once

#include <CLI/CLI.hpp>

namespace tagtrack_tool {

void add_demo(CLI::App& app);

}  // namespace tagtrack_tool
