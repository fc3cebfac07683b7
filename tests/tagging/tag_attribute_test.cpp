// The tag attribute driven by the kernel's own operations: tags follow splits, merges, copies,
// extrusions, rolls and edits.
#include <gtest/gtest.h>

#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::tag_data;
using TPI_TAGGING_TRACKING::tag_info;
using strings = std::vector<std::string>;

namespace {

using TagAttribute = tag_test;

// Copies are deep, also those the kernel asks for, which check their context.
TEST_F(TagAttribute, CopiesAreDeepAndCheckTheirContext) {
  generic_tag_attrib_def first, second(id("F1"));
  first = second;
  EXPECT_EQ(describe(*first.get_tag_info()), "F1/0[]");
  EXPECT_NE(first.get_tag_info(), second.get_tag_info());
  body_ptr b = block();
  ATTRIB_CUSTOM* a = tag(b->faces()[0], "F");
  const generic_tag_attrib_def& def = *static_cast<generic_tag_attrib_def*>(a->def());
  testing::internal::CaptureStdout();
  std::unique_ptr<TPI_CUSTOM_ENTITY::entity_def> copy(
      def.copy(TPI_CUSTOM_ENTITY::copy_context(a, a)));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERROR: copy_context::copied_entity is incorrect\n");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(describe(*static_cast<generic_tag_attrib_def*>(copy.get())->get_tag_info()), "F/0[]");
  // Id 0 is none, and without a tag list there is nothing to add an id to.
  EXPECT_FALSE(first.prepend_operation_id(0, false));
  EXPECT_EQ(describe(*first.get_tag_info()), "F1/0[]");
  first.set_tag_info(nullptr);
  EXPECT_FALSE(first.prepend_operation_id(2, false));
}

TEST_F(TagAttribute, SplitPiecesCarryEqualTagsAndShareARegistryEntry) {
  body_ptr b = block();
  FACE* bottom = b->faces()[0];
  tag(bottom, "F1");
  TPI_TAGGING_TRACKING::activateTagManager(true);
  FACE* piece = split_between(bottom, {0, 0, 0}, {1, 1, 0});
  EXPECT_EQ(tags_of(piece), strings{"F1/0[]"});
  EXPECT_EQ(tags_of(bottom), strings{"F1/0[]"});
  EXPECT_EQ(registry_summary(), strings{"F1/0[] -> 2"});
}

TEST_F(TagAttribute, MergedFaceKeepsItsTagsFollowedByTheNewOnesOfTheFaceThatWent) {
  body_ptr b = block();
  FACE* bottom = b->faces()[0];
  FACE* piece = split_between(bottom, {0, 0, 0}, {1, 1, 0});
  set_tags(bottom, "B C");
  set_tags(piece, "A B");
  ASSERT_TRUE(TPI_MODEL::merge_faces(bottom, piece).ok());
  EXPECT_EQ(tags_of(bottom), (strings{"B/0[]", "C/0[]", "A/0[]"}));
  // A survivor without tags receives the tags of the face that went.
  split_between(bottom, {0, 0, 0}, {1, 1, 0});
  VERTEX* middle = nullptr;
  EDGE* half = nullptr;
  EDGE* long_edge = b->edges()[0];
  ASSERT_TRUE(TPI_MODEL::split_edge(
                  long_edge,
                  long_edge->geometry()->eval(0.5 * (long_edge->t_start() + long_edge->t_end())),
                  middle, half)
                  .ok());
  tag(half, "H");
  EDGE* survivor = nullptr;
  ASSERT_TRUE(TPI_MODEL::merge_edges(middle, survivor).ok());
  EXPECT_EQ(tags_of(survivor), strings{"H/0[]"});
}

// The registered copy callback decides whether tags are copied: a veto stops them whatever it
// returns; a callback that answers false, or the default one, lets them through. Unregistering
// empties the slot, also when it names another callback (and then fails).
TEST_F(TagAttribute, TheCopyCallbackDecidesWhetherTagsAreCopied) {
  struct answer : TPI_TAGGING_TRACKING::TPK_COPY_ATTRIB_CB {
    explicit answer(int mode) : mode(mode) {}
    bool copy_attrib_with_owner(const ENTITY* owner, bool& allow) override {
      saw_owner = owner;
      if (mode == 0) allow = false;  // veto, whatever we return
      return mode == 0;              // mode 1 leaves allow untouched and says false
    }
    int mode;
    const ENTITY* saw_owner = reinterpret_cast<const ENTITY*>(1);
  } veto(0), silent(1), other(0);
  TPI_TAGGING_TRACKING::TPK_COPY_ATTRIB_CB plain;
  body_ptr source = cylinder();
  tag(source->faces()[2], "SIDE");
  const auto copied_tags = [&] {
    BODY* made = nullptr;
    EXPECT_TRUE(TPI_MODEL::copy_body(source.get(), made).ok());
    return tags_of(body_ptr(made)->faces()[2]);
  };
  generic_tag_attrib_def def;
  EXPECT_TRUE(def.copyable());
  EXPECT_EQ(copied_tags(), strings{"SIDE/0[]"});
  ASSERT_TRUE(TPI_TAGGING_TRACKING::register_callback(veto));
  EXPECT_FALSE(def.copyable());
  EXPECT_EQ(veto.saw_owner, nullptr);
  EXPECT_TRUE(copied_tags().empty());
  TPI_TAGGING_TRACKING::register_callback(silent);
  EXPECT_TRUE(def.copyable());
  TPI_TAGGING_TRACKING::register_callback(plain);
  EXPECT_EQ(copied_tags(), strings{"SIDE/0[]"});

  TPI_TAGGING_TRACKING::register_callback(veto);
  EXPECT_FALSE(TPI_TAGGING_TRACKING::unregister_callback(other));
  EXPECT_TRUE(def.copyable());                                     // the veto is gone too
  EXPECT_FALSE(TPI_TAGGING_TRACKING::unregister_callback(other));  // empty slot
  TPI_TAGGING_TRACKING::register_callback(veto);
  EXPECT_TRUE(TPI_TAGGING_TRACKING::unregister_callback(veto));
}

TEST_F(TagAttribute, ExtrusionTopCarriesTheProfileTags) {
  body_ptr disc = test_support::disc();
  tag(disc->faces()[0], "PROFILE");
  tag(disc->edges()[0], "RIM");
  TPI_TAGGING_TRACKING::activateTagManager(true);
  FACE* top = nullptr;
  ASSERT_TRUE(TPI_MODEL::extrude(disc->faces()[0], {0, 0, 2}, top).ok());
  EXPECT_EQ(tags_of(top), strings{"PROFILE/0[]"});
  EXPECT_EQ(tags_of(disc->edges()[1]), strings{"RIM/0[]"});  // the top rim
  EXPECT_EQ(registry_summary(), (strings{"RIM/0[] -> 2", "PROFILE/0[] -> 2"}));
}

TEST_F(TagAttribute, RollsAndEditsKeepTheRegistryInStep) {
  scratch_stream stream;
  body_ptr b = block();
  tag(b->faces()[0], "F");
  stream->note_state();
  TPI_TAGGING_TRACKING::activateTagManager(true);
  FACE* piece = split_between(b->faces()[0], {0, 0, 0}, {1, 1, 0});
  stream->note_state();
  ASSERT_EQ(registry_summary(), strings{"F/0[] -> 2"});
  ASSERT_TRUE(stream->roll_back(1).ok());  // the piece's attribute leaves
  EXPECT_EQ(registry_summary(), strings{"F/0[] -> 1"});
  ASSERT_TRUE(stream->roll_forward(1).ok());  // and comes back
  EXPECT_EQ(registry_summary(), strings{"F/0[] -> 2"});
  // An edit moves the attribute to the entry of its new list.
  generic_tag_attrib_def renamed(id("G"));
  ASSERT_TRUE(renamed.update_attribute_with_this_def(tag_attrib_of(piece)).ok());
  EXPECT_EQ(tags_of(piece), strings{"G/0[]"});
  EXPECT_EQ(registry_summary(), (strings{"F/0[] -> 1", "G/0[] -> 1"}));
  // An edit with a definition of another kind is refused and changes nothing.
  const other_tag_def other;
  EXPECT_FALSE(other.update_attribute_with_this_def(tag_attrib_of(piece)).ok());
  EXPECT_EQ(tags_of(piece), strings{"G/0[]"});
  b.reset();
  TPI_TAGGING_TRACKING::activateTagManager(false);
}

}  // namespace
