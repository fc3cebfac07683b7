#include "scenario_command.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <tagtrack/scenario_runner/report.h>
#include <tagtrack/scenario_runner/runner.h>
#include <tagtrack/scenario_runner/scenario_file.h>
#include <tagtrack/scenario_runner/whole_file.h>

namespace tagtrack_tool {

namespace ts = tagtrack::scenarios;

void add_scenario(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "scenario",
      "Builds parametric scenarios, regenerates them after each edit, and scores how each naming "
      "method finds every reference again");
  auto files = std::make_shared<std::vector<std::string>>();
  auto method = std::make_shared<std::string>("all");
  auto as_json = std::make_shared<bool>(false);
  auto report = std::make_shared<std::string>();
  std::vector<std::string> choices = ts::method_names();
  choices.push_back("all");
  command->add_option("FILE", *files, "scenario files (JSON)")->required();
  command->add_option("--method", *method, "tagtrack, tnaming, index or all")
      ->check(CLI::IsMember(choices));
  command->add_flag("--json", *as_json, "print the results as one JSON object");
  command->add_option("--report", *report, "write an HTML page with a picture per step to DIR")
      ->check(CLI::Validator(
          [](std::string& dir) {
            const outcome writable = ts::check_writable_directory(dir);
            return writable ? std::string() : writable.message();
          },
          "DIR"));
  command->callback([files, method, as_json, report] {
    const std::vector<std::string> methods =
        *method == "all" ? ts::method_names() : std::vector<std::string>{*method};
    std::vector<ts::scenario_result> results;
    std::vector<ts::step_picture> pictures;
    std::vector<ts::feature_failure> failures;
    for (const std::string& file : *files) {
      ts::scenario s;
      std::vector<ts::scenario_result> own;
      std::vector<ts::step_picture> own_pictures;
      outcome done = ts::read_scenario(file, s);
      if (done) {
        done =
            ts::run_scenario(s, methods, own, report->empty() ? nullptr : &own_pictures, &failures);
      }
      if (!done) throw CLI::RuntimeError("tagtrack: " + done.message(), 1);
      results.insert(results.end(), own.begin(), own.end());
      pictures.insert(pictures.end(), own_pictures.begin(), own_pictures.end());
    }
    const std::string text = *as_json ? ts::results_json(results, failures)
                                      : ts::results_table(results, methods, failures);
    std::fputs(text.c_str(), stdout);
    if (!report->empty()) {
      if (const outcome written = ts::write_report(*report, pictures, methods); !written) {
        throw CLI::RuntimeError(written.message(), 1);
      }
    }
    const bool tagtrack_failed =
        std::any_of(results.begin(), results.end(), [](const ts::scenario_result& r) {
          return r.method == "tagtrack" && !ts::is_right(r.verdict);
        });
    if (tagtrack_failed) throw CLI::RuntimeError("", 1);
  });
}

}  // namespace tagtrack_tool
