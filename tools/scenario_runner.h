// `tagtrack scenario FILE... [--method tagtrack|tnaming|index|all] [--json] [--report DIR]`:
// builds each scenario's history, regenerates it after each edit, and scores how each naming
// method finds every reference again.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "scenario_file.h"
#include "scenario_report.h"

namespace tagtrack_tool {

// One reference, in one step, by one method.
struct scenario_result {
  std::string scenario, reference, method;
  int step = 0;  // 0 for the first build
  // "right", "wrong", "ambiguous", "lost", "right (lost)" or "failed".
  std::string verdict;
  bool expected_among = false;  // for "ambiguous": whether the right entity is among those found
  double time_us = 0;
};

// Runs a scenario with the given methods; false with the reason when the file is invalid (a pick
// on no entity or on several, a change that cannot apply).
// `pictures`, when given, receives what the report draws for each step.
bool run_scenario(const scenario& s, const std::vector<std::string>& methods,
                  std::vector<scenario_result>& results, std::string& error,
                  std::vector<step_picture>* pictures = nullptr);

void add_scenario(CLI::App& app);

}  // namespace tagtrack_tool
