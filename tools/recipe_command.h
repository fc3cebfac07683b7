// `tagtrack recipe show|check|same`, `tagtrack model show` and `tagtrack match`: recipes, model
// files and resolutions made readable.
#pragma once

#include <CLI/CLI.hpp>

namespace tagtrack_tool {

void add_recipe(CLI::App& app);
void add_model(CLI::App& app);
void add_match(CLI::App& app);

}  // namespace tagtrack_tool
