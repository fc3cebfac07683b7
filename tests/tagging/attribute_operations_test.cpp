// Changing and reading tags through the attribute: changes go through the kernel, are heard by the
// tag manager and are undone by roll back.
#include <gtest/gtest.h>

#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using strings = std::vector<std::string>;

namespace {

using AttributeOperations = tag_test;

TEST_F(AttributeOperations, ChangesReplaceTheDefinitionAndReachTheRegistry) {
  scratch_stream stream;
  body_ptr b = block();
  ATTRIB_CUSTOM* attrib = set_tags(b->faces()[0], "P/1[1] Q/0[2,3]");
  stream->note_state();
  TPI_TAGGING_TRACKING::activateTagManager(true);
  TPI_TAGGING_TRACKING::tag_registry::instance().register_attrib(attrib);
  EXPECT_TRUE(TPI_TAGGING_TRACKING::prepend_operation_id_for_attrib(attrib, 4, true));
  EXPECT_EQ(tags_of(b->faces()[0]), (strings{"P/1[1,-4]", "Q/0[2,3,-4]"}));
  EXPECT_EQ(registry_summary(), (strings{"P/1[1] Q/0[2,3] -> 0", "P/1[1,-4] Q/0[2,3,-4] -> 1"}));
  EXPECT_TRUE(TPI_TAGGING_TRACKING::prepend_operation_id_for_attrib(attrib, 0, false));
  EXPECT_EQ(tags_of(b->faces()[0]), (strings{"P/1[1,-4]", "Q/0[2,3,-4]"}));
  stream->note_state();
  ASSERT_TRUE(stream->roll_back(1).ok());
  EXPECT_EQ(tags_of(b->faces()[0]), (strings{"P/1[1]", "Q/0[2,3]"}));
}

TEST_F(AttributeOperations, FirstTagUpdatesAbsorbTagsTheyBecomeEqualTo) {
  body_ptr b = block();
  ATTRIB_CUSTOM* attrib = set_tags(b->faces()[0], "P/1 P/7");
  EXPECT_TRUE(TPI_TAGGING_TRACKING::update_secondary_id_for_attrib(attrib, 7));
  EXPECT_EQ(tags_of(b->faces()[0]), strings{"P/7[]"});
  EXPECT_TRUE(TPI_TAGGING_TRACKING::update_primary_Id_for_attrib(attrib, id("NEW")));
  EXPECT_EQ(tags_of(b->faces()[0]), strings{"NEW/7[]"});
  set_tags(b->faces()[0], "");
  const TPI_CUSTOM_ENTITY::attrib_def* empty = attrib->def();
  EXPECT_FALSE(TPI_TAGGING_TRACKING::update_primary_Id_for_attrib(attrib, id("X")));
  EXPECT_FALSE(TPI_TAGGING_TRACKING::update_secondary_id_for_attrib(attrib, 1));
  EXPECT_EQ(attrib->def(), empty);  // the kernel was not called
}

TEST_F(AttributeOperations, ReadingIdsAndRefusingOtherDefinitions) {
  body_ptr b = block();
  ATTRIB_CUSTOM* attrib = set_tags(b->faces()[0], "P/3[1,2] Q[2]");
  TPK::tpk_array<int> ids;
  ids.push_back(9);
  EXPECT_TRUE(TPI_TAGGING_TRACKING::get_operation_ids_from_attrib(attrib, ids));
  EXPECT_EQ(std::vector<int>(ids.begin(), ids.end()), (std::vector<int>{9, 1, 2, 2}));
  const auto* def = static_cast<const generic_tag_attrib_def*>(attrib->def());
  TPK::tpk_array<char> primary = id("keep");
  TPK::tpk_array<int> ops;
  int secondary = 0;
  def->get_first_ids(primary, secondary, ops);
  EXPECT_EQ(std::string(primary.begin(), primary.end()), "P");
  EXPECT_EQ(secondary, 3);
  EXPECT_EQ(ops.size(), 2u);
  const TPK::tpk_array<char> first = def->get_first_primary_id();
  EXPECT_EQ(std::string(first.begin(), first.end()), "P");
  generic_tag_attrib_def none;
  primary = id("keep");
  none.get_first_ids(primary, secondary, ops);
  EXPECT_EQ(secondary, -1);
  EXPECT_EQ(std::string(primary.begin(), primary.end()), "keep");
  EXPECT_TRUE(none.get_first_primary_id().empty());

  ATTRIB_CUSTOM* foreign = attach(b->faces()[1], new other_tag_def());
  EXPECT_FALSE(TPI_TAGGING_TRACKING::prepend_operation_id_for_attrib(foreign, 1, false));
  EXPECT_FALSE(TPI_TAGGING_TRACKING::update_secondary_id_for_attrib(foreign, 1));
  EXPECT_FALSE(TPI_TAGGING_TRACKING::get_operation_ids_from_attrib(foreign, ids));
  EXPECT_FALSE(TPI_TAGGING_TRACKING::prepend_operation_id_for_attrib(nullptr, 1, false));
}

}  // namespace
