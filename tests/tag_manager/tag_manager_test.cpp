// The tag manager: duplicate-tag resolution after real kernel operations, what its registry
// records, and a registry that stays true whatever happens to the attributes it recorded.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "support/failure_points.h"
#include "support/models.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::tag_data;
using strings = std::vector<std::string>;
using TPI_TAGGING_TRACKING::tag_registry;

namespace {

using DuplicateTags = tag_test;

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

// The face of `b` at height 1 that has vertices at both points.
FACE* top_face_with(BODY* b, const TPK::position& p, const TPK::position& q) {
  for (FACE* f : b->faces()) {
    const std::vector<VERTEX*> vs = vertices_of(f);
    const auto has = [&](const TPK::position& x) {
      return std::any_of(vs.begin(), vs.end(),
                         [&](VERTEX* v) { return TPK::same_point(v->point(), x); });
    };
    const bool on_top =
        std::all_of(vs.begin(), vs.end(), [](VERTEX* v) { return v->point().z == 1; });
    if (on_top && has(p) && has(q)) return f;
  }
  return nullptr;
}

// The recipe texts of the four pieces of a top cut three times, each under its centre, from a
// model built the way an application regenerates: the generator seeded, the block made and
// tagged, the top cut with the manager on, the duplicates resolved.
std::map<std::string, std::string> regenerate_pieces() {
  std::srand(7);
  body_ptr b = block(3, 1, 1);
  VERTEX* v = nullptr;
  EDGE* e = nullptr;
  TPI_MODEL::split_edge(edge_between(b.get(), {0, 1, 1}, {3, 1, 1}), {1, 1, 1}, v, e);
  TPI_MODEL::split_edge(edge_between(b.get(), {0, 0, 1}, {3, 0, 1}), {2, 0, 1}, v, e);
  tag(b->faces()[1], "TOP");
  TPI_TAGGING_TRACKING::activateTagManager(true);
  const TPK::position cuts[][2] = {
      {{0, 0, 1}, {1, 1, 1}}, {{1, 1, 1}, {2, 0, 1}}, {{2, 0, 1}, {3, 1, 1}}};
  for (const auto& cut : cuts)
    split_between(top_face_with(b.get(), cut[0], cut[1]), cut[0], cut[1]);
  TPI_TAGGING_TRACKING::manageDupicateTags();
  std::map<std::string, std::string> texts;
  for (FACE* f : b->faces()) {
    const std::vector<VERTEX*> vs = vertices_of(f);
    TPK::vector3 sum{0, 0, 0};
    for (VERTEX* x : vs) sum = sum + (x->point() - TPK::position{0, 0, 0});
    if (sum.z != static_cast<double>(vs.size())) continue;  // not on the top
    texts[strf("%.3f %.3f", sum.x / vs.size(), sum.y / vs.size())] =
        text_of(recipe_of(TPI_TAGGING_TRACKING::FACE_TRACKABLE(f)).get());
  }
  return texts;
}

// Regenerating twice in one process gives each piece the same secondary id, although the second
// model's attributes lie elsewhere on the heap (the first model's blocks, freed in between, are
// handed out again in another order).
TEST_F(DuplicateTags, RegenerationGivesTheSamePiecesTheSameIds) {
  const std::map<std::string, std::string> first = [] {
    scratch_stream stream;
    return regenerate_pieces();
  }();
  std::vector<std::unique_ptr<int>> elsewhere;
  for (int i = 0; i < 100; ++i) elsewhere.push_back(std::make_unique<int>(i));
  scratch_stream stream;
  EXPECT_EQ(regenerate_pieces(), first);
  EXPECT_EQ(first.size(), 4u);
}

// The tag registry: what activation, registration and unregistration record.
using TagRegistry = tag_test;

TEST_F(TagRegistry, RecordsOnlyWhileActiveStartsEmptyEachTimeAndKeepsUnregisteredEntries) {
  body_ptr b = block();
  ATTRIB_CUSTOM* a = tag(b->faces()[0], "A");
  ATTRIB_CUSTOM* other = tag(b->faces()[1], "B");
  tag_registry& registry = tag_registry::instance();
  registry.register_attrib(a);
  EXPECT_TRUE(registry_summary().empty());
  TPI_TAGGING_TRACKING::activateTagManager(true);
  registry.register_attrib(a);
  registry.register_attrib(a);  // twice: one handle
  registry.register_attrib(nullptr);
  EXPECT_EQ(registry_summary(), strings{"A/0[] -> 1"});
  TPI_TAGGING_TRACKING::activateTagManager(true);
  EXPECT_TRUE(registry_summary().empty());
  EXPECT_TRUE(registry.active());

  // Unregistering keeps the entry and ignores lists it has no entry for.
  registry.register_attrib(a);
  registry.unregister_attrib(other);  // no entry for B
  EXPECT_EQ(registry_summary(), strings{"A/0[] -> 1"});
  registry.unregister_attrib(a);
  EXPECT_EQ(registry_summary(), strings{"A/0[] -> 0"});
  // Found by its handle, even when its list changed outside the notifications: the registry never
  // keeps an attribute it was told to let go.
  registry.register_attrib(a);
  static_cast<TPI_TAGGING_TRACKING::generic_tag_attrib_def*>(a->def())->prepend_operation_id(4,
                                                                                             false);
  registry.unregister_attrib(a);
  EXPECT_EQ(registry_summary(), strings{"A/0[] -> 0"});
  TPI_TAGGING_TRACKING::activateTagManager(false);
  EXPECT_FALSE(registry.active());
}

TEST_F(TagRegistry, EqualListsShareAnEntryInListOrder) {
  body_ptr b = block();
  TPI_TAGGING_TRACKING::activateTagManager(true);
  tag_registry& registry = tag_registry::instance();
  for (std::size_t i = 0; i < 3; ++i) registry.register_attrib(tag(b->faces()[i], "LONG"));
  registry.register_attrib(tag(b->faces()[3], "Z"));
  registry.register_attrib(tag(b->faces()[4], "AA"));
  EXPECT_EQ(registry_summary(), (strings{"Z/0[] -> 1", "AA/0[] -> 1", "LONG/0[] -> 3"}));
}

// The tag manager's registry stays true whatever happens to the attributes it recorded: deleted,
// freed, or edited by an edit that runs out of memory (a resolution that fails is held in the
// hardening tests, at every failure point).
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
