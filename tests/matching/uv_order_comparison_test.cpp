// Grading a stored uv order against the one a candidate vertex has now, branch by branch.
#include <gtest/gtest.h>

#include <tagtrack/matching/internal/uv_order_comparison.h>
#include "support/models.h"
#include "support/recipes.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::compare_uv_order;
using TPI_TAGGING_TRACKING::uv_order_data;

namespace {

// The grading for a stored record against the corner of a planar quad whose data now are
// {4, 1, 1, 2, 1, 1, 2} (corner 0 of the unit square: (u, v) = (0, 0)).
class UvOrderComparison : public testing::Test {
 protected:
  void SetUp() override {
    sheet = polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
    corner = sheet->vertices()[0];
    face = sheet->faces()[0];
    ASSERT_EQ(uv_order_data(corner, face), uv_of({4, 1, 1, 2, 1, 1, 2}));
  }
  std::pair<bool, int> grade(std::vector<int> stored) {
    int level = 0;
    const bool ok = compare_uv_order(uv_of(stored), corner, face, level);
    return {ok, level};
  }
  body_ptr sheet;
  VERTEX* corner = nullptr;
  FACE* face = nullptr;
};

using result = std::pair<bool, int>;

TEST_F(UvOrderComparison, SameVertexCount) {
  EXPECT_EQ(grade({4, 1, 1, 2, 1, 1, 2}), result(true, 1));
  EXPECT_EQ(grade({4, 1, 1, 2, 3, 3, 4}), result(false, 4));  // v rank outside the stored run
  EXPECT_EQ(grade({4, 2, 1, 2, 1, 1, 2}), result(true, 1));   // u rank inside the stored run
  EXPECT_EQ(grade({4, 2, 2, 3, 1, 1, 2}), result(false, 4));
}

TEST_F(UvOrderComparison, ChangedVertexCountWithOneRankKept) {
  EXPECT_EQ(grade({3, 1, 1, 2, 2, 2, 3}), result(true, 2));   // u rank and run unchanged
  EXPECT_EQ(grade({5, 3, 3, 3, 1, 1, 2}), result(true, 2));   // v rank and run unchanged
  EXPECT_EQ(grade({5, 1, 1, 1, 2, 2, 3}), result(false, 4));  // a rank kept, no run kept
}

TEST_F(UvOrderComparison, ChangedVertexCountWithBothRanksShifted) {
  // Now 4 vertices; stored with 6 (two lost): ranks that moved down by 2 with their runs.
  EXPECT_EQ(grade({6, 3, 3, 4, 5, 5, 6}), result(true, 3));
  EXPECT_EQ(grade({6, 3, 3, 5, 5, 5, 6}), result(false, 4));
  // Stored with 2 (two gained): ranks that moved up by 2, or down by 2.
  EXPECT_EQ(grade({2, 3, 3, 4, 2, 2, 2}), result(true, 3));   // u moved down by 2
  EXPECT_EQ(grade({5, 2, 2, 3, 3, 3, 4}), result(true, 3));   // lost one, u moved down by one
  EXPECT_EQ(grade({5, 0, 0, 1, 0, 0, 1}), result(false, 4));  // lost one, both ranks grew
  // Gained one while both ranks grew by one: accepted only if a run moved with its rank.
  EXPECT_EQ(grade({3, 0, 0, 1, 0, 0, 1}), result(true, 3));
}

TEST_F(UvOrderComparison, RecordsOfNoVerticesAndForeignVerticesNeverAgree) {
  EXPECT_EQ(grade({0, 1, 1, 2, 1, 1, 2}), result(false, 4));
  EXPECT_EQ(grade({4, -1, 1, 2, 1, 1, 2}), result(false, 4));
  body_ptr other = block();
  int level = 0;
  EXPECT_FALSE(compare_uv_order(uv_of({4, 1, 1, 2, 1, 1, 2}), other->vertices()[0], face, level));
  EXPECT_EQ(level, 4);
}

}  // namespace
