// Duplicate-tag resolution after real kernel operations.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "support/models.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::tag_data;
using strings = std::vector<std::string>;

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

}  // namespace
