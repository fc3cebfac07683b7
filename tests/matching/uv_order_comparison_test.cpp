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

TEST_F(UvOrderComparison, GradesEachBranch) {
  const std::pair<std::vector<int>, result> cases[] = {
      // The same vertex count: level 1 when each rank lies inside its stored run.
      {{4, 1, 1, 2, 1, 1, 2}, {true, 1}},
      {{4, 1, 1, 2, 3, 3, 4}, {false, 4}},  // v rank outside the stored run
      {{4, 2, 1, 2, 1, 1, 2}, {true, 1}},   // u rank inside the stored run
      {{4, 2, 2, 3, 1, 1, 2}, {false, 4}},
      // A changed vertex count with one rank and its run kept: level 2.
      {{3, 1, 1, 2, 2, 2, 3}, {true, 2}},   // u rank and run unchanged
      {{5, 3, 3, 3, 1, 1, 2}, {true, 2}},   // v rank and run unchanged
      {{5, 1, 1, 1, 2, 2, 3}, {false, 4}},  // a rank kept, no run kept
      // Now 4 vertices; stored with 6 (two lost): ranks that moved down by 2 with their runs.
      {{6, 3, 3, 4, 5, 5, 6}, {true, 3}},
      {{6, 3, 3, 5, 5, 5, 6}, {false, 4}},
      // Stored with 2 (two gained): ranks that moved up by 2, or down by 2.
      {{2, 3, 3, 4, 2, 2, 2}, {true, 3}},   // u moved down by 2
      {{5, 2, 2, 3, 3, 3, 4}, {true, 3}},   // lost one, u moved down by one
      {{5, 0, 0, 1, 0, 0, 1}, {false, 4}},  // lost one, both ranks grew
      // Gained one while both ranks grew by one: accepted only if a run moved with its rank.
      {{3, 0, 0, 1, 0, 0, 1}, {true, 3}},
  };
  for (const auto& [stored, expected] : cases) {
    EXPECT_EQ(grade(stored), expected) << testing::PrintToString(stored);
  }
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
