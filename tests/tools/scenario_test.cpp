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
      // What the format forbids of the newer features, named by feature and field.
      {"axis_crossing_profile",
       scenario(R"({"id": "r", "op": "revolve", "polygon": [[-1, 0, 0], [4, 0, 0], [4, 0, 3]],)"
                R"( "axis_origin": [0, 0, 0], "axis": [0, 0, 1], "angle": 360})",
                "", ""),
       "feature 'r': 'axis' crosses the profile"},
      // Every point, the through point included, stands right of the axis; the arc between them
      // bulges past it (to x = -0.13 at z = 2).
      {"arc_bulging_across_axis",
       scenario(R"({"id": "r", "op": "revolve", "polygon": [[1, 0, 0], {"through": [0.2, 0, 0.8]},)"
                R"( [1, 0, 4]], "axis_origin": [0, 0, 0], "axis": [0, 0, 1], "angle": 90})",
                "", ""),
       "feature 'r': 'axis' crosses the profile"},
      {"axis_out_of_plane",
       scenario(R"({"id": "r", "op": "revolve", "polygon": [[1, 0, 0], [4, 0, 0], [4, 0, 3]],)"
                R"( "axis_origin": [0, 1, 0], "axis": [0, 0, 1], "angle": 90})",
                "", ""),
       "feature 'r': 'axis' does not lie in the profile's plane"},
      {"count_below_two",
       scenario(box + R"(, {"id": "p", "op": "pattern", "target": "b", "count": 1,)"
                      R"( "step": [20, 0, 0]})",
                "", ""),
       "feature 'p': 'count' is below 2"},
      {"zero_axis",
       scenario(box + R"(, {"id": "p", "op": "pattern", "target": "b", "count": 3,)"
                      R"( "axis_origin": [0, 0, 0], "axis": [0, 0, 0], "angle": 30})",
                "", ""),
       "feature 'p': 'axis' is a zero direction"},
      {"thickness_not_positive",
       scenario(box + R"(, {"id": "s", "op": "shell", "target": "b", "faces": ["t"],)"
                      R"( "thickness": 0})",
                R"({"name": "t", "after": "b", "kind": "face", "pick": {"nearest": [5, 5, 10]}})",
                ""),
       "feature 's': 'thickness' is not positive"},
      {"consumed_before_target",
       scenario(box + R"(, {"id": "m", "op": "move", "target": "b", "translate": [1, 0, 0]},)"
                      R"( {"id": "s", "op": "shell", "target": "m", "faces": ["t"],)"
                      R"( "thickness": 1})",
                R"({"name": "t", "after": "b", "kind": "face", "pick": {"nearest": [5, 5, 10]}})",
                ""),
       "feature 's': the reference 't' is taken after 'b', not after its target 'm'"},
      {"through_points_side_by_side",
       scenario(R"({"id": "p", "op": "prism", "height": 1, "polygon": [[0, 0, 0],)"
                R"( {"through": [1, 1, 0]}, {"through": [2, 1, 0]}, [3, 0, 0]]})",
                "", ""),
       "feature 'p': 'polygon' holds two through points side by side"},
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
