#include "tagtrack_command.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Standard_Failure.hxx>

#include <tagtrack/occt/fault_handling.h>

#include "demo_command.h"
#include "recipe_command.h"
#include "scenario_command.h"
#include "selfcheck_command.h"

namespace tagtrack_tool {

namespace {

// The command line of the deepest subcommand the parser reached ("tagtrack recipe show"), whose
// --help tells what it takes.
std::string reached(const CLI::App& app) {
  std::string line = app.get_name();
  for (const CLI::App* at = &app;;) {
    const std::vector<const CLI::App*> taken =
        at->get_subcommands([](const CLI::App* sub) { return sub->count() > 0; });
    if (taken.empty()) return line;
    at = taken.front();
    line += " " + at->get_name();
  }
}

}  // namespace

int run_command(int argc, char** argv) {
  // A fault inside an Open CASCADE algorithm (its chamfer can dereference a null pointer) fails
  // that operation with its reason instead of ending the command.
  TPI_OCCT::turn_faults_into_failures();
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
    } catch (const CLI::RuntimeError&) {
      throw;
    } catch (const CLI::ParseError& failure) {
      // A command line the parser refuses is an error like any other: status 1, and the help
      // that says what the subcommand takes.
      std::fprintf(stderr, "tagtrack: %s (see %s --help)\n", failure.what(), reached(app).c_str());
      return 1;
    }
  } catch (const CLI::RuntimeError& failure) {
    if (*failure.what() != '\0') std::fprintf(stderr, "%s\n", failure.what());
    return failure.get_exit_code();
  } catch (const CLI::ParseError& failure) {
    std::fprintf(stderr, "tagtrack: %s (see tagtrack --help)\n", failure.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tagtrack: out of memory\n");
    return 1;
  } catch (const Standard_Failure& failure) {
    std::fprintf(stderr, "tagtrack: %s\n", TPI_OCCT::failure_reason("command", failure).c_str());
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
