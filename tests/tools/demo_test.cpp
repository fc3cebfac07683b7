// `tagtrack demo --svg`: the recipe shown as a tree beside its text, and a picture
// that is well-nested SVG with two drawings, the referenced edge highlighted in each.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/command.h"

namespace {

namespace fs = std::filesystem;
using tool_test::run_command;

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
    for (const std::string& d : drawings) {
      const std::size_t marked = d.find("<g class=\"highlight\">");
      ASSERT_NE(marked, std::string::npos);
      EXPECT_EQ(d.find("<polyline", marked), d.find('<', marked + 1)) << "nothing highlighted";
    }
  }
}

}  // namespace
