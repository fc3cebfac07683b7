// The tag manager's registry stays true whatever happens to the attributes it recorded: deleted,
// freed, or edited by an edit that runs out of memory (a resolution that fails is held in the
// hardening tests, at every failure point).
#include <gtest/gtest.h>

#include "support/failure_points.h"
#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::tag_registry;
using strings = std::vector<std::string>;

namespace {

using ManagerFailures = tag_test;

// A recorded split piece whose attribute is deleted and then freed is no longer renumbered.
TEST_F(ManagerFailures, DeletedAndFreedAttributesLeaveTheRegistry) {
  scratch_stream stream;
  body_ptr b = block();
  tag(b->faces()[0], "F");
  TPI_TAGGING_TRACKING::activateTagManager(true);
  FACE* piece = split_between(b->faces()[0], {0, 0, 0}, {1, 1, 0});
  ASSERT_EQ(registry_summary(), strings{"F/0[] -> 2"});
  ASSERT_TRUE(TPI_MODEL::delete_attrib(tag_attrib_of(piece)).ok());
  EXPECT_EQ(registry_summary(), strings{"F/0[] -> 1"});
  stream->note_state();
  stream->clear();  // the deleted attribute is freed here
  TPI_TAGGING_TRACKING::manageDupicateTags();
  EXPECT_EQ(tags_of(b->faces()[0]), strings{"F/0[]"});  // alone in its group: untouched
}

// An edit that fails at any allocation leaves the tags, the registry and the history as they were.
TEST_F(ManagerFailures, AnEditThatRunsOutOfMemoryChangesNothing) {
  for (heap which : {heap::general, heap::kernel}) {
    scratch_stream stream;
    body_ptr b = block();
    ATTRIB_CUSTOM* a = tag(b->faces()[0], "F");
    TPI_TAGGING_TRACKING::activateTagManager(true);
    tag_registry::instance().register_attrib(a);
    stream->note_state();
    const int points = at_every_failure_point(
        which, [&] { TPI_TAGGING_TRACKING::update_secondary_id_for_attrib(a, 77); },
        [&] {
          EXPECT_EQ(tags_of(b->faces()[0]), strings{"F/0[]"});
          EXPECT_EQ(registry_summary(), strings{"F/0[] -> 1"});
          EXPECT_EQ(stream->states_behind(), 1u);
        });
    EXPECT_GT(points, 0);
    EXPECT_EQ(tags_of(b->faces()[0]), strings{"F/77[]"});
    EXPECT_EQ(registry_summary(), (strings{"F/0[] -> 0", "F/77[] -> 1"}));
    ASSERT_TRUE(stream->roll_back(1).ok());
    EXPECT_EQ(tags_of(b->faces()[0]), strings{"F/0[]"});
  }
}

}  // namespace
