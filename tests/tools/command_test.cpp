// The tagtrack command as its users run it: recipes, models and matches, scenarios, the self-check
// and the demo.
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Message.hxx>
#include <Message_Messenger.hxx>

#include <tagtrack/scenario_runner/report.h>
#include <tagtrack/scenario_runner/runner.h>
#include <tagtrack/scenario_runner/selfcheck.h>

#include "test_parts.h"
#include "tools/block_files.h"
#include "tools/command.h"

namespace {

namespace fs = std::filesystem;
using tool_test::run_command;

// `tagtrack recipe`, `model show` and `match` on real files: trees and JSON parsed back, a
// resolution printed, where a cut recipe text goes wrong, and malformed or truncated input refused
// in one line with a non-zero exit.

// The block files, a model file cut short and two recipe texts that cannot be read.
class RecipeCommands : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = fs::temp_directory_path() / ("tagtrack_recipes_" + std::to_string(::getpid()));
    cut_length = tool_test::write_block_files(folder);
    std::ifstream in(folder / "block.model");
    const std::string model((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(folder / "truncated.model") << model.substr(0, model.size() / 2);
    std::ofstream(folder / "junk.recipe") << "Q 9 9 9\n";
    std::ofstream(folder / "huge.recipe") << "E 3 0 999999\n";
  }
  static void TearDownTestSuite() { fs::remove_all(folder); }
  static std::string at(const char* name) { return (folder / name).string(); }
  static fs::path folder;
  static std::size_t cut_length;
};

fs::path RecipeCommands::folder;
std::size_t RecipeCommands::cut_length = 0;

TEST_F(RecipeCommands, ShowCheckSameModelAndMatch) {
  const auto tree = run_command("recipe show --json " + at("edge.recipe"), false);
  ASSERT_EQ(tree.status, 0);
  const nlohmann::json edge = nlohmann::json::parse(tree.out);
  EXPECT_EQ(edge.at("type"), "edge");
  EXPECT_EQ(edge.at("faces").size(), 2u);
  EXPECT_EQ(edge.at("vertices").size(), 2u);
  EXPECT_EQ(edge["faces"][0][0].at("primary").get<std::string>().rfind("BLOCK.f", 0), 0u);

  EXPECT_EQ(run_command("recipe check " + at("edge.recipe"), false).status, 0);
  // A recipe text cut short goes wrong where it ends.
  const auto cut = run_command("recipe check --json " + at("cut.recipe"), false);
  EXPECT_NE(cut.status, 0);
  const nlohmann::json verdict = nlohmann::json::parse(cut.out);
  EXPECT_FALSE(verdict.at("well_formed").get<bool>());
  EXPECT_EQ(verdict.at("offset").get<std::size_t>(), cut_length);
  EXPECT_EQ(run_command("recipe same " + at("edge.recipe") + " " + at("edge.recipe"), false).status,
            0);
  EXPECT_NE(run_command("recipe same " + at("edge.recipe") + " " + at("face.recipe"), false).status,
            0);

  const auto model = run_command("model show --json " + at("block.model"), false);
  ASSERT_EQ(model.status, 0);
  const nlohmann::json bodies = nlohmann::json::parse(model.out).at("bodies");
  ASSERT_EQ(bodies.size(), 1u);
  EXPECT_EQ(bodies[0].at("entities").size(), 6u + 12u + 8u);

  const auto match = run_command("match " + at("block.model") + " " + at("face.recipe"), false);
  EXPECT_EQ(match.status, 0);
  EXPECT_EQ(match.out.rfind("resolved: one entity", 0), 0u) << match.out;
}

// Refusals are one line on standard error, status 1, in words that say what is wrong; a command
// line the parser refuses points at the subcommand's own help.
TEST_F(RecipeCommands, RefuseWhatTheyCannotReadInWords) {
  const std::string folder_name = folder.string();
  const std::pair<std::string, std::string> cases[] = {
      {"recipe show " + at("junk.recipe"), "is not a recipe text"},
      {"recipe show " + at("missing.recipe"), "'" + at("missing.recipe") + "': no such file"},
      {"recipe same " + folder_name + " " + at("edge.recipe"),
       "'" + folder_name + "': is a directory"},
      {"scenario " + folder_name, "'" + folder_name + "': is a directory"},
      {"model show " + at("truncated.model"), "is not a model file that reads: "},
      {"model show " + at("edge.recipe"), "is not a model file that reads: "},
      {"match " + at("block.model") + " " + at("junk.recipe"), "is not a recipe text"},
      {"recipe show " + at("huge.recipe"), "more nested recipes than allowed"},
      {"recipe frobnicate", "(see tagtrack recipe --help)"},
      {"scenario --method none x.json", "(see tagtrack scenario --help)"},
      {"scenario x.json --report " + at("edge.recipe"), "is not a directory"},
      {"demo --svg " + folder_name + "/no/such/folder/x.svg", "does not exist"},
  };
  for (const auto& [arguments, words] : cases) {
    SCOPED_TRACE(arguments);
    const auto refused = run_command(arguments, true);
    EXPECT_EQ(WEXITSTATUS(refused.status), 1);
    EXPECT_NE(refused.out.find(words), std::string::npos) << refused.out;
    EXPECT_EQ(refused.out.find("basic_filebuf"), std::string::npos) << refused.out;
    EXPECT_EQ(std::count(refused.out.begin(), refused.out.end(), '\n'), 1) << refused.out;
  }
  // A cut text still shows what reads, and says on standard error where it goes wrong.
  const auto cut = run_command("recipe show " + at("cut.recipe"), true);
  EXPECT_EQ(WEXITSTATUS(cut.status), 0);
  EXPECT_NE(cut.out.find("is not a well-formed recipe text"), std::string::npos) << cut.out;
}

// `tagtrack scenario`: the corpus's JSON answer as tools read it, and files that are not valid
// scenarios refused in one line that names the file, the feature or reference and the reason.

const std::string corpus = std::string(TAGTRACK_SOURCE_DIR) + "/scenarios/";

TEST(ScenarioRunner, JsonHasOneResultPerScenarioStepReferenceAndMethod) {
  const std::string file = corpus + "insert-fillet-before-fuse.json";
  const auto run = run_command("scenario --json " + file, false);
  ASSERT_EQ(run.status, 0);
  const nlohmann::json results = nlohmann::json::parse(run.out).at("results");
  std::ifstream in(file);
  const nlohmann::json scenario = nlohmann::json::parse(in);
  const std::size_t steps = scenario["edits"].size() + 1,
                    references = scenario["references"].size();
  const std::vector<std::string>& methods = tagtrack::scenarios::method_names();
  EXPECT_EQ(results.size(), steps * references * methods.size());
  const std::set<std::string> verdicts = {"right", "wrong",        "ambiguous",
                                          "lost",  "right (lost)", "failed"};
  for (const nlohmann::json& r : results) {
    EXPECT_EQ(r.at("scenario"), scenario["name"]);
    EXPECT_LT(r.at("step").get<std::size_t>(), steps);
    const char* families[] = {"first build", "feature inserted", "parameter change"};
    EXPECT_EQ(r.at("family"), families[r.at("step").get<std::size_t>()]) << r;
    EXPECT_TRUE(verdicts.count(r.at("verdict").get<std::string>())) << r;
    EXPECT_TRUE(r.at("time_us").is_number());
    EXPECT_TRUE(std::count(methods.begin(), methods.end(), r.at("method").get<std::string>()));
  }
}

// A feature Open CASCADE faults on (its chamfer dereferences a null pointer here) fails for every
// method with its reason, and the references taken before it are scored as usual.
TEST(ScenarioRunner, AFeatureOpenCascadeFaultsOnFailsAndTheRestIsScored) {
  const auto run =
      run_command("scenario --json " + corpus + "chamfer-faults-inside-open-cascade.json", false);
  ASSERT_EQ(run.status, 0) << run.out;
  const nlohmann::json answer = nlohmann::json::parse(run.out);
  EXPECT_EQ(answer.at("failures").size(), tagtrack::scenarios::method_names().size());
  for (const nlohmann::json& f : answer.at("failures")) {
    EXPECT_EQ(f.at("feature"), "bevel");
    EXPECT_NE(f.at("reason").get<std::string>().find("the chamfer failed"), std::string::npos);
  }
}

// `--report`: an index page with the methods' verdicts counted and explained and a page per
// scenario with the legend, each step's edit in words and one picture per reference and step.
TEST(ScenarioRunner, ReportCountsVerdictsAndCaptionsEachStepsEdit) {
  const fs::path dir =
      fs::temp_directory_path() / ("tagtrack_report_" + std::to_string(::getpid()));
  const std::string file = corpus + "boss-moved-off-body.json";
  const auto json = run_command("scenario --json --method all " + file, false);
  const auto run =
      run_command("scenario --method all --report " + dir.string() + " " + file, false);
  ASSERT_EQ(run.status, 0);
  const auto read = [&](const char* name) {
    std::ifstream in(dir / name);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string index = read("index.html"), page = read("boss-moved-off-body.html");
  fs::remove_all(dir);
  const std::size_t answers = nlohmann::json::parse(json.out).at("results").size() /
                              tagtrack::scenarios::method_names().size();
  ASSERT_NE(index.find("<table class=\"summary\">"), std::string::npos);
  // tagtrack's row: every answer counted, all of them right.
  EXPECT_NE(index.find(std::to_string(answers) + "</td><td class=\"n\">100.0%"), std::string::npos);
  EXPECT_NE(index.find(tagtrack::scenarios::verdict_meaning(tagtrack::scenarios::verdict::lost)),
            std::string::npos);
  EXPECT_NE(index.find("href=\"boss-moved-off-body.html\""), std::string::npos);
  EXPECT_NE(page.find("class=\"legend\""), std::string::npos);
  EXPECT_NE(page.find("step 1: <span class=\"edit\">boss origin [20, 10, 10] \u2192 [30, 10, 10]"),
            std::string::npos);
  std::size_t pictures = 0;
  for (std::size_t at = page.find("<div class=\"ref\">"); at != std::string::npos;
       at = page.find("<div class=\"ref\">", at + 1)) {
    ++pictures;
  }
  EXPECT_EQ(pictures, answers);

  // Two changes of one feature each say what they change; a removal says what goes.
  using tagtrack::scenarios::change;
  const tagtrack::feature block{"block", tagtrack::box{{0, 0, 0}, {40, 20, 10}}};
  change taller{change::kind::set, {"block", tagtrack::box{{0, 0, 0}, {40, 20, 14}}}, "", ""};
  change moved{change::kind::set, {"block", tagtrack::box{{0, 5, 0}, {40, 20, 14}}}, "", ""};
  change gone{change::kind::remove, {}, "", "block"};
  EXPECT_EQ(tagtrack::scenarios::edit_caption({block}, {taller, moved, gone}),
            "block height 10 \u2192 14; block origin [0, 0, 0] \u2192 [0, 5, 0]; 'block' removed");
}

std::string scenario(const std::string& features, const std::string& references = "",
                     const std::string& edits = "") {
  return R"({"name": "t", "stands_for": "a test", "features": [)" + features +
         R"(], "references": [)" + references + R"(], "edits": [)" + edits + "]}";
}

TEST(ScenarioRunner, RefusesInvalidFilesInOneLine) {
  const fs::path folder =
      fs::temp_directory_path() / ("tagtrack_scenarios_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string box = R"({"id": "b", "op": "box", "size": [10, 10, 10], "origin": [0, 0, 0]})";
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"unknown_op", scenario(R"({"id": "b", "op": "sweep"})"), "unknown op 'sweep'"},
      {"missing_parameter", scenario(R"({"id": "b", "op": "box", "size": [1, 1, 1]})"),
       "missing parameter 'origin'"},
      {"pick_on_nothing",
       scenario(box,
                R"({"name": "f", "after": "b", "kind": "face", "pick": {"nearest": [5, 5, 50]}})"),
       "reference 'f'"},
      {"pick_on_two_faces",
       scenario(box,
                R"({"name": "e", "after": "b", "kind": "face", "pick": {"nearest": [10, 10, 5]}})"),
       "reference 'e'"},
      // Checked where every reference is the entity its point lies on, whatever a method finds.
      {"expected_point_on_two_faces",
       scenario(box,
                R"({"name": "f", "after": "b", "kind": "face", "pick": {"nearest": [5, 5, 10]}})",
                R"({"change": [], "expect": {"f": {"nearest": [10, 10, 5]}}})"),
       "step 1: reference 'f': the expected point lies on 2 faces"},
      {"unknown_family", scenario(box, "", R"({"family": "resize", "change": [], "expect": {}})"),
       "step 1: 'family' is not a family of edit"},
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
                R"( "axis_origin": [0, 0, 0], "axis": [0, 0, 1], "angle": 360})"),
       "feature 'r': 'axis' crosses the profile"},
      // Every point, the through point included, stands right of the axis; the arc between them
      // bulges past it (to x = -0.13 at z = 2).
      {"arc_bulging_across_axis",
       scenario(R"({"id": "r", "op": "revolve", "polygon": [[1, 0, 0], {"through": [0.2, 0, 0.8]},)"
                R"( [1, 0, 4]], "axis_origin": [0, 0, 0], "axis": [0, 0, 1], "angle": 90})"),
       "feature 'r': 'axis' crosses the profile"},
      {"axis_out_of_plane",
       scenario(R"({"id": "r", "op": "revolve", "polygon": [[1, 0, 0], [4, 0, 0], [4, 0, 3]],)"
                R"( "axis_origin": [0, 1, 0], "axis": [0, 0, 1], "angle": 90})"),
       "feature 'r': 'axis' does not lie in the profile's plane"},
      {"count_below_two",
       scenario(box + R"(, {"id": "p", "op": "pattern", "target": "b", "count": 1,)"
                      R"( "step": [20, 0, 0]})"),
       "feature 'p': 'count' is below 2"},
      {"zero_axis",
       scenario(box + R"(, {"id": "p", "op": "pattern", "target": "b", "count": 3,)"
                      R"( "axis_origin": [0, 0, 0], "axis": [0, 0, 0], "angle": 30})"),
       "feature 'p': 'axis' is a zero direction"},
      {"thickness_not_positive",
       scenario(box + R"(, {"id": "s", "op": "shell", "target": "b", "faces": ["t"],)"
                      R"( "thickness": 0})",
                R"({"name": "t", "after": "b", "kind": "face", "pick": {"nearest": [5, 5, 10]}})"),
       "feature 's': 'thickness' is not positive"},
      {"consumed_before_target",
       scenario(box + R"(, {"id": "m", "op": "move", "target": "b", "translate": [1, 0, 0]},)"
                      R"( {"id": "s", "op": "shell", "target": "m", "faces": ["t"],)"
                      R"( "thickness": 1})",
                R"({"name": "t", "after": "b", "kind": "face", "pick": {"nearest": [5, 5, 10]}})"),
       "feature 's': the reference 't' is taken after 'b', not after its target 'm'"},
      {"through_points_side_by_side",
       scenario(R"({"id": "p", "op": "prism", "height": 1, "polygon": [[0, 0, 0],)"
                R"( {"through": [1, 1, 0]}, {"through": [2, 1, 0]}, [3, 0, 0]]})"),
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

// `tagtrack selfcheck` on parts of several kinds: every face, edge and vertex comes back as itself,
// seams and poles of periodic faces included; the command's JSON and its answer to files it
// cannot read.

using tool_test::command_result;

class Selfcheck : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_Printer));
    folder = fs::temp_directory_path() / ("tagtrack_parts_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    ASSERT_TRUE(test_parts::write_test_parts(folder.string()));
  }
  static void TearDownTestSuite() { fs::remove_all(folder); }
  static fs::path folder;
};

fs::path Selfcheck::folder;

TEST_F(Selfcheck, EveryEntityComesBackAsItself) {
  for (const char* name : {"machined_block.step", "lofted_body.step", "freeform_body.step",
                           "turned_part.igs", "bracket_assembly.step", "sphere_and_torus.brep"}) {
    SCOPED_TRACE(name);
    tagtrack::scenarios::selfcheck_report report;
    ASSERT_TRUE(tagtrack::scenarios::run_selfcheck((folder / name).string(), report).ok());
    for (const auto* c : {&report.faces, &report.edges, &report.vertices}) {
      EXPECT_GT(c->right, 0);
      EXPECT_EQ(c->ambiguous + c->wrong + c->lost, 0);
    }
    // The assembly places one bracket four times: four bodies.
    EXPECT_TRUE(std::strcmp(name, "bracket_assembly.step") != 0 || report.bodies == 4u)
        << report.bodies;
  }
}

TEST_F(Selfcheck, TheCommandPrintsJsonAndRefusesWhatItCannotRead) {
  const command_result json =
      run_command("selfcheck --json " + (folder / "turned_part.igs").string(), false);
  ASSERT_EQ(json.status, 0);
  const nlohmann::json parsed = nlohmann::json::parse(json.out);
  for (const char* kind : {"faces", "edges", "vertices"}) {
    for (const char* verdict : {"right", "ambiguous", "wrong", "lost"}) {
      EXPECT_TRUE(parsed.at(kind).at(verdict).is_number_integer()) << kind << " " << verdict;
    }
  }
  EXPECT_EQ(parsed.at("file"), (folder / "turned_part.igs").string());
  EXPECT_TRUE(parsed.at("track_us_median").is_number());
  EXPECT_TRUE(parsed.at("match_us_median").is_number());

  // Each file that is no part says what is wrong with it, in one line that names it.
  std::ifstream step(folder / "machined_block.step");
  const std::string whole((std::istreambuf_iterator<char>(step)), std::istreambuf_iterator<char>());
  std::ifstream brep(folder / "sphere_and_torus.brep");
  const std::string shapes((std::istreambuf_iterator<char>(brep)),
                           std::istreambuf_iterator<char>());
  std::ofstream(folder / "junk.step") << "this is no STEP file\n";
  std::ofstream(folder / "cut.step") << whole.substr(0, whole.size() / 3);
  std::ofstream(folder / "empty.step");
  // Cut inside its shape table, where Open CASCADE's own reader never returns.
  std::ofstream(folder / "cut.brep") << shapes.substr(0, shapes.find("TShapes") + 20);
  std::ofstream(folder / "notes.txt") << "a text\n";
  fs::create_directories(folder / "folder.step");
  const std::pair<const char*, const char*> cases[] = {
      {"junk.step", "is not a STEP file"}, {"cut.step", "the STEP file ends inside an entity"},
      {"empty.step", "is empty"},          {"cut.brep", "the BREP file ends early"},
      {"missing.step", "no such file"},    {"folder.step", "is a directory"},
      {"notes.txt", "not a part file"},
  };
  for (const auto& [name, words] : cases) {
    SCOPED_TRACE(name);
    const command_result refused = run_command("selfcheck " + (folder / name).string(), true);
    EXPECT_EQ(WEXITSTATUS(refused.status), 1);
    EXPECT_EQ(refused.out, "tagtrack: '" + (folder / name).string() + "': " + words +
                               refused.out.substr(refused.out.find(words) + std::strlen(words)))
        << refused.out;
    EXPECT_EQ(std::count(refused.out.begin(), refused.out.end(), '\n'), 1) << refused.out;
  }
}

// `tagtrack demo --svg`: the recipe shown as a tree beside its text, and a picture
// that is well-nested SVG with two drawings, the referenced edge highlighted in each, the after
// view with the edit written on it, the fillet filled and the legend.

// True when every element is closed in order: <a ...> ... </a>, or <a .../>.
bool well_nested(const std::string& xml) {
  std::vector<std::string> open;
  for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
    const std::size_t end = xml.find('>', at);
    if (end == std::string::npos) return false;
    const std::string tag = xml.substr(at + 1, end - at - 1);
    if (tag.empty() || tag.back() == '/') continue;
    const std::string name = tag.substr(tag[0] == '/', tag.find_first_of(" \n") - (tag[0] == '/'));
    if (tag[0] != '/') {
      open.push_back(name);
    } else if (open.empty() || open.back() != name) {
      return false;
    } else {
      open.pop_back();
    }
  }
  return open.empty();
}

TEST(DemoCommand, DrawsTheModelBeforeAndAfterTheEditWithTheEdgeHighlighted) {
  {
    const fs::path svg =
        fs::temp_directory_path() / ("tagtrack_demo_" + std::to_string(::getpid()) + ".svg");
    const auto demo = run_command("demo --svg " + svg.string(), false);
    EXPECT_EQ(demo.status, 0);
    EXPECT_NE(demo.out.find("edge recipe, version 3"), std::string::npos) << demo.out;

    std::ifstream in(svg);
    const std::string picture(std::istreambuf_iterator<char>(in), {});
    fs::remove(svg);
    EXPECT_EQ(picture.rfind("<svg ", 0), 0u);
    EXPECT_TRUE(well_nested(picture));
    const std::string drawing = "<g class=\"drawing\"";
    std::vector<std::string> drawings;
    for (std::size_t at = picture.find(drawing); at != std::string::npos;) {
      const std::size_t next = picture.find(drawing, at + 1);
      drawings.push_back(picture.substr(at, next == std::string::npos ? next : next - at));
      at = next;
    }
    ASSERT_EQ(drawings.size(), 2u);
    // The after view writes the edit, fills the fillet and explains its marks.
    EXPECT_NE(drawings[1].find("block height 2 \u2192 3"), std::string::npos);
    EXPECT_NE(drawings[1].find("<path class=\"fillet\""), std::string::npos);
    EXPECT_NE(drawings[1].find("<g class=\"legend\""), std::string::npos);
    for (const std::string& d : drawings) {
      const std::size_t marked = d.find("<g class=\"highlight\">");
      ASSERT_NE(marked, std::string::npos);
      EXPECT_EQ(d.find("<polyline", marked), d.find('<', marked + 1)) << "nothing highlighted";
    }
  }
}

}  // namespace
