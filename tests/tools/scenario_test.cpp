// `tagtrack scenario`: the corpus's JSON answer as tools read it, and files that are not valid
// scenarios refused in one line that names the file, the feature or reference and the reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/command.h"

namespace {

namespace fs = std::filesystem;
using tool_test::run_command;

const std::string corpus = std::string(TAGTRACK_SOURCE_DIR) + "/scenarios/";

TEST(ScenarioRunner, JsonHasOneResultPerScenarioStepReferenceAndMethod) {
  const std::string file = corpus + "boss-rim-fillet-base-taller.json";
  const auto run = run_command("scenario --json " + file, false);
  ASSERT_EQ(run.status, 0);
  const nlohmann::json results = nlohmann::json::parse(run.out).at("results");
  std::ifstream in(file);
  const nlohmann::json scenario = nlohmann::json::parse(in);
  const std::size_t steps = scenario["edits"].size() + 1,
                    references = scenario["references"].size();
  EXPECT_EQ(results.size(), steps * references * 3);
  const std::set<std::string> verdicts = {"right", "wrong",        "ambiguous",
                                          "lost",  "right (lost)", "failed"};
  for (const nlohmann::json& r : results) {
    EXPECT_EQ(r.at("scenario"), scenario["name"]);
    EXPECT_LT(r.at("step").get<std::size_t>(), steps);
    EXPECT_TRUE(verdicts.count(r.at("verdict").get<std::string>())) << r;
    EXPECT_TRUE(r.at("time_us").is_number());
    const std::string method = r.at("method");
    EXPECT_TRUE(method == "tagtrack" || method == "tnaming" || method == "index");
  }
}

TEST(ScenarioRunner, RefusesInvalidFilesInOneLine) {
  const fs::path folder =
      fs::temp_directory_path() / ("tagtrack_scenarios_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string box = R"({"id": "b", "op": "box", "size": [10, 10, 10], "origin": [0, 0, 0]})";
  const auto scenario = [&](const std::string& features, const std::string& references,
                            const std::string& edits) {
    return R"({"name": "t", "stands_for": "a test", "features": [)" + features +
           R"(], "references": [)" + references + R"(], "edits": [)" + edits + "]}";
  };
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"unknown_op", scenario(R"({"id": "b", "op": "sweep"})", "", ""), "unknown op 'sweep'"},
      {"missing_parameter", scenario(R"({"id": "b", "op": "box", "size": [1, 1, 1]})", "", ""),
       "missing parameter 'origin'"},
      {"pick_on_nothing",
       scenario(box,
                R"({"name": "f", "after": "b", "kind": "face", "pick": {"nearest": [5, 5, 50]}})",
                ""),
       "reference 'f'"},
      {"pick_on_two_faces",
       scenario(box,
                R"({"name": "e", "after": "b", "kind": "face", "pick": {"nearest": [10, 10, 5]}})",
                ""),
       "reference 'e'"},
      {"removed_in_use",
       scenario(
           box +
               R"(, {"id": "c", "op": "unify", "target": "b"}, {"id": "d", "op": "unify", "target": "c"})",
           "", R"({"change": [{"remove": "b"}], "expect": {}})"),
       "'b' is removed"},
      // The user is inserted by the same step, without an id: it is checked after the step.
      {"inserted_without_an_id",
       scenario(box + R"(, {"id": "c", "op": "unify", "target": "b"})", "",
                R"({"change": [{"insert": {"op": "unify", "target": "b"}, "before": "c"}],)"
                R"( "expect": {}})"),
       "step 1: a feature has no id"},
      {"not_json", "{ this is not json", "not JSON"},
  };
  for (const auto& [name, text, reason] : cases) {
    SCOPED_TRACE(name);
    const fs::path path = folder / (name + ".json");
    std::ofstream(path) << text;
    const auto run = run_command("scenario " + path.string(), true);
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    EXPECT_NE(run.out.find(path.string()), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(reason), std::string::npos) << run.out;
  }
  fs::remove_all(folder);
}

}  // namespace
