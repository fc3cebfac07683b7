// `tagtrack recipe`, `model show` and `match` on real files: trees and JSON parsed back, a
// resolution printed, where a cut recipe text goes wrong, and malformed or truncated input refused
// in one line with a non-zero exit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "tools/block_files.h"
#include "tools/command.h"

namespace {

namespace fs = std::filesystem;
using tool_test::run_command;

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

TEST_F(RecipeCommands, RefuseWhatTheyCannotRead) {
  for (const std::string& arguments :
       {"recipe show " + at("junk.recipe"), "recipe show " + at("missing.recipe"),
        "model show " + at("truncated.model"), "model show " + at("edge.recipe"),
        "match " + at("block.model") + " " + at("junk.recipe"), "recipe show " + at("huge.recipe"),
        std::string("recipe frobnicate")}) {
    SCOPED_TRACE(arguments);
    const auto refused = run_command(arguments, true);
    EXPECT_NE(refused.status, 0);
    EXPECT_EQ(std::count(refused.out.begin(), refused.out.end(), '\n'), 1) << refused.out;
  }
}

}  // namespace
