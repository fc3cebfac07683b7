// Tags in model files: current and legacy records, malformed records, the shared string.
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def_savres;
using TPI_TAGGING_TRACKING::tag_data;
using strings = std::vector<std::string>;

namespace {

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
      {"2 6 s 0: i 1 i 5 s 2:ab i 0 i 0", "ab/0[]"},  // shorter string than its count
      {"2 6 s 0: i 1 i -4 s 2:ab i 0 i 0", "/0[]"},   // negative character count
      {"2 6 s 0: i 1 i 1 s 1:Q i 0 i -2", "Q/0[]"},   // negative op count reads as none
      {"1 6 s 0: i 1 d nan i 0 i 0 i 0", "0/0[]"},    // NaN legacy id
      {"1 6 s 0: i 1 d inf i 0 i 0 i 0", "18446744073709551615/0[]"},
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
