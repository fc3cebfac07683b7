#include "demo_command.h"

#include <memory>
#include <string>

#include "occt_road.h"
#include "road.h"

namespace tagtrack_tool {

void add_demo(CLI::App& app) {
  CLI::App* demo = app.add_subcommand(
      "demo",
      "The road of one reference, step by step: a part built, an edge remembered as a "
      "recipe, the part regenerated with other dimensions, the edge found again");
  auto kernel = std::make_shared<std::string>("occt");
  demo->add_option("--kernel", *kernel,
                   "occt (a block with a fused boss and a fillet) or "
                   "reference (a padded sketch with its top cut in two)")
      ->check(CLI::IsMember({"occt", "reference"}));
  demo->callback([kernel] {
    const int status = *kernel == "occt" ? boss_demo::run_road_of_one_reference()
                                         : feature_demo::run_road_of_one_reference();
    if (status != 0) throw CLI::RuntimeError("", status);
  });
}

}  // namespace tagtrack_tool
