// `tagtrack selfcheck PART`: how well the library names the entities of a real part. The part is
// imported, each face tagged as an application that just imported it would, every face, edge and
// vertex remembered as a recipe, the model saved to a model file and restored, and every recipe,
// read back from its text, resolved in the restored model.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace tagtrack_tool {

// Per kind of entity, how its references resolved: to the entity itself alone (right), to
// several with itself among them (ambiguous), to others only (wrong), to nothing (lost).
struct verdict_counts {
  int right = 0, ambiguous = 0, wrong = 0, lost = 0;
};

struct selfcheck_report {
  std::string file;
  std::size_t bodies = 0;
  verdict_counts faces, edges, vertices;
  // Edges and vertices not right that have one face on every side (seams and poles of periodic
  // faces).
  int seams_not_right = 0;
  double track_us_median = 0, match_us_median = 0;
  // One line per entity not right: what it is, its verdict and its recipe.
  std::vector<std::string> details;
};

// Runs the check; false, with the reason in `error`, when the part cannot be read.
bool run_selfcheck(const std::string& path, selfcheck_report& report, std::string& error);

// Registers the subcommand.
void add_selfcheck(CLI::App& app);

}  // namespace tagtrack_tool
