// `tagtrack recipe show|check|same`, `tagtrack model show` and `tagtrack match`: recipes, model
// files and resolutions made readable.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace TPI_TAGGING_TRACKING {
class IRecipe;
}

namespace tagtrack_tool {

// Prints the recipe as `recipe show` does, every line after `indent`.
void print_recipe_tree(TPI_TAGGING_TRACKING::IRecipe* recipe, const std::string& indent);

void add_recipe(CLI::App& app);
void add_model(CLI::App& app);
void add_match(CLI::App& app);

}  // namespace tagtrack_tool
