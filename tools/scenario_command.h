// `tagtrack scenario FILE... [--method tagtrack|tnaming|index|all] [--json] [--report DIR]`:
// builds each scenario's history, regenerates it after each edit, and scores how each naming
// method finds every reference again.
#pragma once

#include <CLI/CLI.hpp>

namespace tagtrack_tool {

void add_scenario(CLI::App& app);

}  // namespace tagtrack_tool
