#include "tagtrack_command.h"

#include <cstdio>
#include <exception>
#include <new>

#include <CLI/CLI.hpp>
#include <Message.hxx>
#include <Message_Messenger.hxx>

#include "demo_command.h"
#include "recipe_command.h"
#include "scenario_command.h"
#include "selfcheck_command.h"

namespace tagtrack_tool {

int run_command(int argc, char** argv) {
  try {
    // Open CASCADE's readers report to standard output, which the command keeps for its answers.
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_Printer));
    CLI::App app("tagtrack: persistent names for the faces, edges and vertices of B-rep solids",
                 "tagtrack");
    app.require_subcommand(1);
    add_demo(app);
    add_selfcheck(app);
    add_scenario(app);
    add_recipe(app);
    add_model(app);
    add_match(app);
    try {
      app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
      return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
      return app.exit(help);
    }
  } catch (const CLI::RuntimeError& failure) {
    if (*failure.what() != '\0') std::fprintf(stderr, "%s\n", failure.what());
    return failure.get_exit_code();
  } catch (const CLI::ParseError& failure) {
    std::fprintf(stderr, "tagtrack: %s (see tagtrack --help)\n", failure.what());
    return failure.get_exit_code() == 0 ? 2 : failure.get_exit_code();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tagtrack: out of memory\n");
    return 1;
  } catch (const std::exception& failure) {
    // What the library refuses by throwing (a recipe text announcing more nested recipes than
    // allowed, say) is the input's fault: one line, like any other refusal.
    std::fprintf(stderr, "tagtrack: %s\n", failure.what());
    return 1;
  }
  return 0;
}

}  // namespace tagtrack_tool
