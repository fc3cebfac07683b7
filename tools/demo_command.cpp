#include "demo_command.h"

#include <cstdio>
#include <memory>
#include <string>

#include <tagtrack/tagging_tracking.h>

#include "demo_picture.h"
#include "occt_road.h"
#include "recipe_command.h"
#include "road.h"

namespace tagtrack_tool {

void add_demo(CLI::App& app) {
  CLI::App* demo = app.add_subcommand(
      "demo",
      "The road of one reference, step by step: a part built, an edge remembered as a "
      "recipe, the part regenerated with other dimensions, the edge found again");
  auto kernel = std::make_shared<std::string>("occt");
  auto svg = std::make_shared<std::string>();
  demo->add_option("--kernel", *kernel,
                   "occt (a block with a fused boss and a fillet) or "
                   "reference (a padded sketch with its top cut in two)")
      ->check(CLI::IsMember({"occt", "reference"}));
  demo->add_option("--svg", *svg,
                   "also draw the model before and after the edit side by side into this SVG "
                   "file, the edge remembered and the edge found highlighted");
  demo->callback([kernel, svg] {
    const bool occt = *kernel == "occt";
    demo_road::road_observer watch;
    watch.recipe_kept = [](const std::string& text) {
      std::printf("   the same recipe as a tree (tagtrack recipe show):\n");
      const TPI_TAGGING_TRACKING::recipe_ptr recipe = TPI_TAGGING_TRACKING::read_recipe(text);
      print_recipe_tree(recipe.get(), "     ");
    };
    auto picture = std::make_shared<demo_picture>(occt);
    if (!svg->empty()) {
      watch.before_edit = [picture](BODY* model, const std::vector<const EDGE*>& edges) {
        picture->add("before the edit: the edge remembered", "#2ca02c", model, edges);
      };
      watch.after_edit = [picture](BODY* model, const std::vector<const EDGE*>& edges) {
        picture->add("after the edit: the edge the recipe found", "#1f77b4", model, edges);
      };
    }
    const int status = occt ? boss_demo::run_road_of_one_reference(watch)
                            : feature_demo::run_road_of_one_reference(watch);
    if (!svg->empty()) {
      std::string error;
      if (!picture->write(*svg, error)) throw CLI::RuntimeError(error, 1);
      std::printf("\nThe model before and after the edit, drawn side by side: %s\n", svg->c_str());
    }
    if (status != 0) throw CLI::RuntimeError("", status);
  });
}

}  // namespace tagtrack_tool
