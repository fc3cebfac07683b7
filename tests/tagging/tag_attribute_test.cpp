// The tag attribute driven by the kernel's own operations: tags follow splits, merges, copies,
// extrusions, rolls and edits; tags changed and read through the attribute; and tags in model
// files.
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::tag_data;
using TPI_TAGGING_TRACKING::tag_info;
using strings = std::vector<std::string>;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def_savres;

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

// Split pieces carry equal tags and share a registry entry; a merged face keeps its tags followed
// by the new ones of the face that went.
TEST_F(TagAttribute, SplitPiecesCarryEqualTagsAndAMergedFaceAddsTheTagsOfTheFaceThatWent) {
  body_ptr b = block();
  FACE* bottom = b->faces()[0];
  tag(bottom, "F1");
  TPI_TAGGING_TRACKING::activateTagManager(true);
  FACE* piece = split_between(bottom, {0, 0, 0}, {1, 1, 0});
  EXPECT_EQ(tags_of(piece), strings{"F1/0[]"});
  EXPECT_EQ(tags_of(bottom), strings{"F1/0[]"});
  EXPECT_EQ(registry_summary(), strings{"F1/0[] -> 2"});
  TPI_TAGGING_TRACKING::activateTagManager(false);
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

// Changing and reading tags through the attribute: changes go through the kernel, are heard by the
// tag manager and are undone by roll back.
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

// Tags in model files: current and legacy records, malformed records, the shared string.
class TagPersistence : public testing::Test {
 protected:
  void SetUp() override { generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def"); }
  tag_state_guard guard;
};

body_ptr tagged_square(const std::string& primary) {
  body_ptr sheet = polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
  tag(sheet->faces()[0], primary);
  return sheet;
}

std::string save(BODY* body) {
  std::string text;
  const outcome r = TPI_FILE::save_bodies({body}, text);
  EXPECT_TRUE(r.ok()) << r.message();
  EXPECT_TRUE(r.warnings().empty()) << r.warnings();
  return text;
}

// The text with the face's tag record replaced by `record` (factory name, version, items).
std::string with_record(const std::string& text, const std::string& record) {
  const std::string name = "22:generic_tag_attrib_def ";
  const std::size_t at = text.find(name);
  EXPECT_NE(at, std::string::npos);
  const std::size_t end = text.find('\n', at);
  return text.substr(0, at) + name + record + text.substr(end);
}

struct restored {
  outcome result;
  std::vector<BODY*> bodies;
  ~restored() {
    for (BODY* b : bodies) TPI_MODEL::delete_body(b);
  }
};

TEST_F(TagPersistence, TagsOfEveryKindOfEntitySurviveAModelFile) {
  body_ptr c = cylinder();
  tag(c->faces()[2], "SIDE");
  ATTRIB_CUSTOM* rim = tag(c->edges()[0], "RIM");
  TPI_TAGGING_TRACKING::prepend_operation_id_for_attrib(rim, 3, true);
  TPI_TAGGING_TRACKING::prepend_operation_id_for_attrib(rim, 8, false);
  generic_tag_attrib_def two(id("V"));
  two.get_tag_info_for_change()->append(tag_data(id("odd id\twith\nbytes")));
  two.update_attribute_with_this_def(tag(c->vertices()[1], "X"));
  const std::string text = save(c.get());
  restored r;
  r.result = TPI_FILE::restore_bodies(text, r.bodies);
  ASSERT_TRUE(r.result.ok()) << r.result.message();
  BODY* back = r.bodies[0];
  EXPECT_EQ(tags_of(back->faces()[2]), strings{"SIDE/0[]"});
  EXPECT_EQ(tags_of(back->edges()[0]), strings{"RIM/0[-3,8]"});
  EXPECT_EQ(tags_of(back->vertices()[1]), (strings{"V/0[]", "odd id\twith\nbytes/0[]"}));
  EXPECT_EQ(save(back), text);
}

TEST_F(TagPersistence, LegacyRecordsRestoreNumericIdsAndSaveBackInTheCurrentLayout) {
  body_ptr sheet = tagged_square("F");
  // Base part (an empty shared string), one tag: 12345.0, secondary 7, ops [9], a dropped 0.
  const std::string legacy = with_record(save(sheet.get()), "1 7 s 0: i 1 d 12345 i 7 i 1 i 9 i 0");
  restored r;
  r.result = TPI_FILE::restore_bodies(legacy, r.bodies);
  ASSERT_TRUE(r.result.ok()) << r.result.message();
  EXPECT_EQ(tags_of(r.bodies[0]->faces()[0]), strings{"12345/7[9]"});
  const auto* def =
      static_cast<const generic_tag_attrib_def*>(tag_attrib_of(r.bodies[0]->faces()[0])->def());
  EXPECT_EQ(def->version(), 2);
  EXPECT_NE(save(r.bodies[0]).find("22:generic_tag_attrib_def 2 "), std::string::npos);
}

TEST_F(TagPersistence, MalformedRecordsGiveSafeValuesOrARejectedFile) {
  const std::string text = save(tagged_square("F").get());
  struct outcome_case {
    const char* record;
    const char* tags;  // null: the file must be rejected
  };
  const outcome_case cases[] = {
      // Counts that disagree with what they count: neither tells which tag is meant.
      {"2 6 s 0: i 1 i 5 s 2:ab i 0 i 0", nullptr},
      {"2 6 s 0: i 1 i 3 s 8:BLOCK.f0 i 0 i 0", nullptr},
      {"2 6 s 0: i 1 i -4 s 2:ab i 0 i 0", nullptr},
      {"2 6 s 0: i 1 i 1 s 1:Q i 0 i -2", nullptr},
      {"2 1 s 0: i -1", nullptr},
      {"1 6 s 0: i 1 d nan i 0 i 0 i 0", nullptr},  // legacy ids that are not finite
      {"1 6 s 0: i 1 d inf i 0 i 0 i 0", nullptr},
      {"1 6 s 0: i 1 d 1e300 i 0 i 0 i 0", "18446744073709551615/0[]"},
      {"2 3 s 0: i -3 i 0", nullptr},          // negative tag count: items left
      {"2 3 s 0: i 2000000000 i 1", nullptr},  // a huge count in a short record
  };
  for (const outcome_case& c : cases) {
    SCOPED_TRACE(c.record);
    const auto before = TPK::get_heap_counts();
    restored r;
    r.result = TPI_FILE::restore_bodies(with_record(text, c.record), r.bodies);
    if (c.tags == nullptr) {
      EXPECT_FALSE(r.result.ok());
      EXPECT_TRUE(r.bodies.empty());
      EXPECT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks);
    } else {
      ASSERT_TRUE(r.result.ok()) << r.result.message();
      EXPECT_EQ(tags_of(r.bodies[0]->faces()[0]), strings{c.tags});
    }
  }
}

// What a record cannot give back is not written: the file leaves the attribute out, says so, and
// restores.
TEST_F(TagPersistence, ListsTheReaderWouldNotGiveBackAreLeftOutWithAWarning) {
  for (const int fault : {0, 1}) {
    SCOPED_TRACE(fault);
    body_ptr sheet = tagged_square("F");
    auto* def = static_cast<generic_tag_attrib_def*>(tag_attrib_of(sheet->faces()[0])->def());
    if (fault == 0) {
      def->get_tag_info_for_change()->append(tag_data(id(std::string("ab\0cd", 5))));
    } else {
      for (auto n = TPI_TAGGING_TRACKING::tag_info::max_text_tags; n > 0; --n) {
        def->get_tag_info_for_change()->append(tag_data());
      }
    }
    std::string text;
    const outcome saved = TPI_FILE::save_bodies({sheet.get()}, text);
    ASSERT_TRUE(saved.ok()) << saved.message();
    EXPECT_NE(saved.warnings().find("generic_tag_attrib_def' left out"), std::string::npos);
    restored r;
    r.result = TPI_FILE::restore_bodies(text, r.bodies);
    ASSERT_TRUE(r.result.ok()) << r.result.message();
    EXPECT_EQ(tag_attrib_of(r.bodies[0]->faces()[0]), nullptr);
  }
}

TEST_F(TagPersistence, SharedStringAndCheckSum) {
  generic_tag_attrib_def a(id("A")), b(id("B"));
  EXPECT_EQ(a.check_sum(), b.check_sum());  // tags do not enter it
  a.generate_shared_string();
  EXPECT_STREQ(a.get_shared_string(), "generic_tag_attrib_def ");
  EXPECT_NE(a.check_sum(), b.check_sum());  // the shared string does
  struct labelled : generic_tag_attrib_def {
    labelled() { set_shared_string("mine"); }
  } c;
  c.generate_shared_string();
  EXPECT_STREQ(c.get_shared_string(), "mine");
  // The factory writes only tag definitions, and restores only into a custom attribute.
  other_tag_def other;
  struct no_items : TPI_CUSTOM_ENTITY::save_context {
    void write_int(std::int32_t) const override { ++written; }
    void write_double(double) const override { ++written; }
    void write_string(const char*) const override { ++written; }
    mutable int written = 0;
  } sink;
  EXPECT_FALSE(generic_tag_attrib_def_savres::instance().save(sink, &other));
  EXPECT_EQ(sink.written, 0);
}

}  // namespace
