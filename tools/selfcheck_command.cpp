#include "selfcheck_command.h"

#include <cstdio>
#include <memory>

#include <tagtrack/scenario_runner/selfcheck.h>

namespace tagtrack_tool {

void add_selfcheck(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "selfcheck",
      "How well tagtrack names the entities of a part: imports it, tags its faces, remembers "
      "every face, edge and vertex, saves and restores the model, and resolves every reference");
  auto path = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  auto details = std::make_shared<bool>(false);
  command->add_option("PART", *path, "a STEP, IGES or BREP file")->required();
  command->add_flag("--json", *json, "print the report as one JSON object");
  command->add_flag("--details", *details,
                    "list every entity whose reference is not right, with its recipe");
  command->callback([path, json, details] {
    tagtrack::scenarios::selfcheck_report report;
    if (const outcome done = tagtrack::scenarios::run_selfcheck(*path, report); !done) {
      throw CLI::RuntimeError("tagtrack: " + done.message(), 1);
    }
    const std::string text = *json ? tagtrack::scenarios::selfcheck_json(report)
                                   : tagtrack::scenarios::selfcheck_text(report, *details);
    std::fputs(text.c_str(), stdout);
  });
}

}  // namespace tagtrack_tool
