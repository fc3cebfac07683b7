// What survives the recipe text: the check agrees with an actual write and read, and says why when
// it refuses.
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

// The recipe read back from the recipe's own text, written again.
std::string written_again(IRecipe* recipe) {
  IRecipe* back = nullptr;
  const std::string text = text_of(recipe);
  if (!restore_from_string(text.c_str(), back)) return "<unread>";
  std::unique_ptr<IRecipe> owned(back);
  return text_of(back);
}

tag_info one_tag(const std::string& primary_id) {
  tag_info tags;
  tags.add_unique(tag_data(id(primary_id)));
  return tags;
}

TEST(RoundTripCheck, AgreesWithWritingAndReadingBack) {
  const char alphabet[] = {'a', 'B', '.', '7', ' ', '\t', '\n', '\0', '\x7f', '\xe9'};
  std::srand(3);
  for (int round = 0; round < 3000; ++round) {
    std::string primary;
    for (int n = std::rand() % 6; n > 0; --n) primary += alphabet[std::rand() % sizeof alphabet];
    FACE_RECIPE face(one_tag(primary));
    VERTEX_RECIPE vertex(tag_info(), {FACE_RECIPE(), face}, {});
    EDGE_RECIPE edge(tag_info(), {}, {vertex});
    for (IRecipe* recipe : std::initializer_list<IRecipe*>{&face, &vertex, &edge}) {
      std::string reason;
      const bool survives = survives_recipe_text(recipe, &reason);
      EXPECT_EQ(survives, written_again(recipe) == text_of(recipe)) << round;
      EXPECT_EQ(survives, reason.empty()) << reason;
    }
  }
}

TEST(RoundTripCheck, ReasonsNameTheIdAndTheFault) {
  std::string reason;
  const FACE_RECIPE spaced(one_tag("Pad 1.top"));
  EXPECT_FALSE(survives_recipe_text(&spaced, &reason));
  EXPECT_EQ(reason,
            "the face: the primary id \"Pad 1.top\" holds white space, which the text skips");
  const FACE_RECIPE nul(one_tag(std::string("ab\0cd", 5)));
  EXPECT_FALSE(survives_recipe_text(&nul, &reason));
  EXPECT_EQ(
      reason,
      "the face: the primary id \"ab\\x00cd\" holds a NUL character, where the text would end");
  EXPECT_FALSE(survives_recipe_text(nullptr, &reason));
  EXPECT_EQ(reason, "there is no recipe");
}

// Lists longer than the reader's bounds are written in full but do not come back.
TEST(RoundTripCheck, ListsBeyondTheReadersBoundsAreRefused) {
  tag_info many;
  for (auto n = tag_info::max_text_tags + 1; n > 0; --n) many.append(tag_data());
  const FACE_RECIPE crowded(many);
  std::string reason;
  EXPECT_FALSE(survives_recipe_text(&crowded, &reason));
  EXPECT_EQ(reason,
            "the face: the list holds 100001 tags, more than the 100000 a tag text may "
            "announce");
  VERTEX_RECIPE apex(tag_info(), std::vector<FACE_RECIPE>(max_nested_recipes + 1), {});
  EXPECT_FALSE(survives_recipe_text(&apex, &reason));
  EXPECT_EQ(reason,
            "the faces around a vertex: 100001 nested recipes, more than the 100000 a "
            "list may announce");
  IRecipe* back = nullptr;
  EXPECT_THROW(restore_from_string(text_of(&apex).c_str(), back), std::length_error);
}

// Ids of any length come back: the reader takes the characters the text holds.
TEST(RoundTripCheck, LongIdsReadBack) {
  FACE_RECIPE face(one_tag(std::string(1000001, 'x')));
  ASSERT_TRUE(survives_recipe_text(&face));
  EXPECT_EQ(written_again(&face), text_of(&face));
}

}  // namespace
