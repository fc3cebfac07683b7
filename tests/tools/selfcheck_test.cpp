// `tagtrack selfcheck` on parts of several kinds: every face right, nothing wrong, and every edge
// or vertex that is not right one whose neighbourhood cannot tell it apart; the command's JSON
// and its answer to files it cannot read.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <nlohmann/json.hpp>

#include <tagtrack/scenario_runner/selfcheck.h>
#include "test_parts.h"
#include "tools/command.h"

namespace {

namespace fs = std::filesystem;

using tool_test::command_result;
using tool_test::run_command;

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

TEST_F(Selfcheck, EveryFaceRightNothingWrongAndOnlyLoneFacedEntitiesLost) {
  for (const char* name : {"machined_block.step", "lofted_body.step", "turned_part.igs",
                           "bracket_assembly.step", "sphere_and_torus.brep"}) {
    SCOPED_TRACE(name);
    tagtrack::scenarios::selfcheck_report report;
    ASSERT_TRUE(tagtrack::scenarios::run_selfcheck((folder / name).string(), report).ok());
    const auto& f = report.faces;
    EXPECT_GT(f.right, 0);
    EXPECT_EQ(f.ambiguous + f.wrong + f.lost, 0);
    EXPECT_EQ(report.edges.wrong + report.vertices.wrong, 0);
    const int not_right = report.edges.ambiguous + report.edges.lost + report.vertices.ambiguous +
                          report.vertices.lost;
    EXPECT_EQ(not_right, report.seams_not_right);
  }
  // The assembly places one bracket four times: four bodies.
  tagtrack::scenarios::selfcheck_report assembly;
  ASSERT_TRUE(
      tagtrack::scenarios::run_selfcheck((folder / "bracket_assembly.step").string(), assembly)
          .ok());
  EXPECT_EQ(assembly.bodies, 4u);
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

  // A file that is not a part, one cut short, one that does not exist, one of another kind.
  std::ifstream step(folder / "machined_block.step");
  const std::string whole((std::istreambuf_iterator<char>(step)), std::istreambuf_iterator<char>());
  std::ofstream(folder / "junk.step") << "this is no STEP file\n";
  std::ofstream(folder / "cut.step") << whole.substr(0, whole.size() / 3);
  std::ofstream(folder / "notes.txt") << "a text\n";
  for (const char* name : {"junk.step", "cut.step", "missing.step", "notes.txt"}) {
    SCOPED_TRACE(name);
    const command_result refused = run_command("selfcheck " + (folder / name).string(), true);
    EXPECT_NE(refused.status, 0);
    EXPECT_EQ(std::count(refused.out.begin(), refused.out.end(), '\n'), 1) << refused.out;
    EXPECT_NE(refused.out.find(name), std::string::npos) << refused.out;
  }
}

}  // namespace
