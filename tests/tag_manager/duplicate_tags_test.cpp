// Duplicate-tag resolution after real kernel operations.
#include <cstdlib>
#include <set>

#include <gtest/gtest.h>

#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::tag_data;
using strings = std::vector<std::string>;

namespace {

class DuplicateTags : public testing::Test {
 protected:
  tag_state_guard guard;
};

int first_secondary(ENTITY* e) {
  const auto* def = static_cast<const generic_tag_attrib_def*>(tag_attrib_of(e)->def());
  return (*def->get_tag_info())[0].m_secondary_id;
}

// Splits the block's bottom face along its diagonal; gives the new piece.
FACE* split_bottom(BODY* b) {
  return split_between(b->faces()[0], {0, 0, 0}, {1, 1, 0});
}

TEST_F(DuplicateTags, SplitPiecesEachGetAFreshSecondaryIdOnTheirFirstTagOnly) {
  body_ptr b = block();
  set_tags(b->faces()[0], "F L[5]");
  tag(b->faces()[1], "ALONE");
  TPI_TAGGING_TRACKING::activateTagManager(true);
  TPI_TAGGING_TRACKING::tag_registry::instance().register_attrib(tag_attrib_of(b->faces()[1]));
  FACE* piece = split_bottom(b.get());
  std::srand(11);
  const int r1 = std::rand(), r2 = std::rand();
  std::srand(11);
  TPI_TAGGING_TRACKING::manageDupicateTags();
  EXPECT_EQ((std::set<int>{first_secondary(b->faces()[0]), first_secondary(piece)}),
            (std::set<int>{r1, r2}));
  EXPECT_EQ(tags_of(piece)[1], "L/0[5]");
  EXPECT_EQ(tags_of(b->faces()[1]), strings{"ALONE/0[]"});  // recorded once: untouched
  EXPECT_FALSE(TPI_TAGGING_TRACKING::tag_registry::instance().active());
  EXPECT_TRUE(registry_summary().empty());
  // Nothing is recorded until the manager is switched on again.
  split_between(b->faces()[1], {0, 0, 1}, {1, 1, 1});
  EXPECT_TRUE(registry_summary().empty());
}

TEST_F(DuplicateTags, OnlyWholeListsThatAreEqualAreDuplicates) {
  body_ptr b = block();
  ATTRIB_CUSTOM* one = set_tags(b->faces()[0], "F S/1");
  ATTRIB_CUSTOM* two = set_tags(b->faces()[1], "F S/2");
  TPI_TAGGING_TRACKING::activateTagManager(true);
  TPI_TAGGING_TRACKING::tag_registry::instance().register_attrib(one);
  TPI_TAGGING_TRACKING::tag_registry::instance().register_attrib(two);
  TPI_TAGGING_TRACKING::manageDupicateTags();
  EXPECT_EQ(tags_of(b->faces()[0]), (strings{"F/0[]", "S/1[]"}));
  EXPECT_EQ(tags_of(b->faces()[1]), (strings{"F/0[]", "S/2[]"}));
}

TEST_F(DuplicateTags, RenumberingIsRecordedInTheOwnersStreamAndRollsBackThere) {
  scratch_stream owner_stream;
  body_ptr b = block();
  tag(b->faces()[0], "F");
  owner_stream->note_state();
  TPI_TAGGING_TRACKING::activateTagManager(true);
  FACE* piece = split_bottom(b.get());
  owner_stream->note_state();
  HISTORY_STREAM* other = nullptr;
  TPI_HISTORY::get_default(other, true);  // another stream is the default meanwhile
  TPI_TAGGING_TRACKING::manageDupicateTags();
  HISTORY_STREAM* now = nullptr;
  TPI_HISTORY::get_default(now, false);
  EXPECT_EQ(now, other);
  EXPECT_EQ(other->states_behind(), 0u);
  ASSERT_EQ(owner_stream->states_behind(), 3u);
  ASSERT_TRUE(owner_stream->roll_back(1).ok());
  EXPECT_EQ(tags_of(b->faces()[0]), strings{"F/0[]"});
  EXPECT_EQ(tags_of(piece), strings{"F/0[]"});
  ASSERT_TRUE(TPI_HISTORY::set_default(owner_stream.get()).ok());
  b.reset();
  EXPECT_TRUE(TPI_HISTORY::delete_stream(other).ok());
}

}  // namespace
