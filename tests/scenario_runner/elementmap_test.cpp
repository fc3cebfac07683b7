// The elementmap naming method names elements as FreeCAD 1.0 does: the sizes FreeCAD's own tests
// hold for some element maps hold for ours, built through our features, and the names are unique,
// the same in every regeneration, and kept by an element an edit leaves alone.
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>

#include <tagtrack/features/feature_history.h>
#include <tagtrack/scenario_runner/peer_schemes.h>

namespace tagtrack::scenarios {
namespace {

// A rectangle padded, a cylinder, and two boxes with all twelve edges bevelled and rounded by
// `size`.
std::unique_ptr<feature_history> sized_parts(double size) {
  auto part = std::make_unique<feature_history>(make_elementmap_scheme());
  part->add({"pad", prism{{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, 5, {}, {}}});
  part->add({"post", cylinder{{20, 0, 0}, {0, 0, 1}, 2, 5}});
  part->add({"block", box{{0, 20, 0}, {10, 10, 10}}});
  EXPECT_TRUE(part->regenerate());
  TopTools_IndexedMapOfShape edges;
  TopExp::MapShapes(part->result("block"), TopAbs_EDGE, edges);
  std::vector<std::string> names;
  for (int i = 1; i <= edges.Extent(); ++i) {
    names.push_back("edge" + std::to_string(i));
    EXPECT_TRUE(part->remember(names.back(), "block", edges(i)));
  }
  part->add({"bevelled", chamfer{"block", names, size}});
  part->add({"rounded", fillet{"block", names, size}});
  EXPECT_TRUE(part->regenerate());
  return part;
}

TEST(ElementMapTest, MapsHaveFreeCadsSizesAndUniqueNamesThatEveryRegenerationGivesAgain) {
  const auto part = sized_parts(1), again = sized_parts(1), resized = sized_parts(2);
  for (const auto& [id, size] : std::map<std::string, std::size_t>{
           {"pad", 26}, {"post", 8}, {"bevelled", 98}, {"rounded", 106}}) {
    const std::vector<std::string> names = element_map_names(part->scheme(), id);
    EXPECT_EQ(names.size(), size) << id;
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size()) << id;
    EXPECT_EQ(element_map_names(again->scheme(), id), names) << id;
    // Another size changes no element's history, so no name.
    EXPECT_EQ(element_map_names(resized->scheme(), id), names) << id;
  }
}

TEST(ElementMapTest, AnElementAnEditLeavesAloneKeepsItsName) {
  // Rounding a second edge of the block leaves its bottom face as it was.
  feature_history part(make_elementmap_scheme());
  part.add({"block", box{{0, 0, 0}, {10, 10, 10}}});
  ASSERT_TRUE(part.regenerate());
  ASSERT_TRUE(part.remember("front", "block",
                            entities_at(part.result("block"), entity_type::edge, {5, 0, 10})[0]));
  ASSERT_TRUE(part.remember("back", "block",
                            entities_at(part.result("block"), entity_type::edge, {5, 10, 10})[0]));
  part.add({"rounded", fillet{"block", {"front"}, 1}});
  ASSERT_TRUE(part.regenerate());
  const TopoDS_Shape bottom = entities_at(part.result("rounded"), entity_type::face, {5, 5, 0})[0];
  ASSERT_TRUE(part.remember("bottom", "rounded", bottom));
  ASSERT_TRUE(part.set({"rounded", fillet{"block", {"front", "back"}, 1}}));
  ASSERT_TRUE(part.regenerate());
  const std::vector<TopoDS_Shape> found = part.resolved("bottom").entities;
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(
      found[0].IsSame(entities_at(part.result("rounded"), entity_type::face, {5, 5, 0})[0]));
}

TEST(ElementMapTest, APadsTopKeepsItsNameWhenItsSketchLosesACorner) {
  // The face on the sketch is named after one edge of its outline, not all of them, so the top
  // the pad raises from it keeps its name while that edge stays.
  feature_history part(make_elementmap_scheme());
  const std::vector<point3> pentagon = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {5, 15, 0}, {0, 10, 0}};
  part.add({"pad", prism{pentagon, 5, {}, {}}});
  ASSERT_TRUE(part.regenerate());
  ASSERT_TRUE(part.remember("top", "pad",
                            entities_at(part.result("pad"), entity_type::face, {5, 5, 5})[0]));
  ASSERT_TRUE(
      part.set({"pad", prism{{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, 5, {}, {}}}));
  ASSERT_TRUE(part.regenerate());
  const std::vector<TopoDS_Shape> found = part.resolved("top").entities;
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(found[0].IsSame(entities_at(part.result("pad"), entity_type::face, {5, 5, 5})[0]));
}

}  // namespace
}  // namespace tagtrack::scenarios
