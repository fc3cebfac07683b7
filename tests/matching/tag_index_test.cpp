// The tag index never gives a stale answer (that it gives what the linear search gives, on random
// models, is held in the explanation's tests).
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/models.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

// After the model changes, the index answers for the model as it is now.
TEST(TagIndex, NeverAnswersForAModelThatChanged) {
  tag_state_guard guard;
  scratch_stream stream;
  body_ptr b = block();
  for (FACE* f : b->faces()) tag(f, "F");
  stream->note_state();
  tag_index index({b.get()});
  MATCH_CONTEXT indexed(nullptr, {b.get()}, compare_loose);
  indexed.use_tag_index(&index);
  const FACE_RECIPE recipe(tags_from("F"));
  FACE_RECIPE same = recipe;
  EXPECT_EQ(matched(indexed, same).size(), 6u);
  EXPECT_TRUE(index.current());
  set_tags(b->faces()[0], "G");
  EXPECT_FALSE(index.current());
  EXPECT_EQ(matched(indexed, same).size(), 5u);
  stream->roll_back(1);
  EXPECT_EQ(matched(indexed, same).size(), 6u);
  // An index over other bodies is not used.
  body_ptr other = block();
  tag_index elsewhere({other.get()});
  indexed.use_tag_index(&elsewhere);
  EXPECT_EQ(matched(indexed, same).size(), 6u);
}

}  // namespace
