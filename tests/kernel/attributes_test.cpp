// The custom-attribute framework: attachment, lookup, editing, factories and output.
#include <cstring>

#include <gtest/gtest.h>

#include "support/models.h"

using namespace test_support;

namespace {

// A test-only definition holding one number.
class probe_def : public TPI_ANNO::tag_attrib_def {
 public:
  explicit probe_def(int value, bool refuse_edits = false)
      : m_value(value), m_refuse(refuse_edits) {}
  const char* type_name() const override { return "probe_def"; }
  TPI_CUSTOM_ENTITY::entity_def* copy_for_backup() const override { return new probe_def(*this); }
  TPI_CUSTOM_ENTITY::entity_def* copy(const TPI_CUSTOM_ENTITY::copy_context&) const override {
    return new probe_def(*this);
  }
  void destroy() override { ++destroyed; }
  bool reset_def_for_edit(const TPI_CUSTOM_ENTITY::edit_context& ctx,
                          const tag_attrib_def* new_def) override {
    return !m_refuse && tag_attrib_def::reset_def_for_edit(ctx, new_def);
  }
  int value() const { return m_value; }
  static inline int destroyed = 0;

 private:
  int m_value;
  bool m_refuse;
};

class other_def : public TPI_CUSTOM_ENTITY::attrib_def {
 public:
  const char* type_name() const override { return "other_def"; }
  TPI_CUSTOM_ENTITY::entity_def* copy_for_backup() const override { return new other_def(*this); }
  TPI_CUSTOM_ENTITY::entity_def* copy(const TPI_CUSTOM_ENTITY::copy_context&) const override {
    return new other_def(*this);
  }
};

int value_of(ATTRIB_CUSTOM* attrib) {
  return static_cast<const probe_def*>(TPK::ATTRIB_CUSTOM_const_xs(attrib).get_def())->value();
}

TEST(Attributes, FoundInOrderOfAttachmentAndFilteredByName) {
  body_ptr b = block();
  FACE* face = b->faces()[2];
  ATTRIB_CUSTOM* first = attach(face, new probe_def(1));
  ATTRIB_CUSTOM* other = attach(face, new other_def());
  ATTRIB_CUSTOM* third = attach(face, new probe_def(3));
  TPK::tpk_array<ATTRIB_CUSTOM*> found;
  TPI_CUSTOM_ENTITY::find_attrib(face, nullptr, found);
  EXPECT_EQ(std::vector<ATTRIB_CUSTOM*>(found.begin(), found.end()),
            (std::vector<ATTRIB_CUSTOM*>{first, other, third}));
  TPI_CUSTOM_ENTITY::find_attrib(face, "probe_def", found);
  EXPECT_EQ(std::vector<ATTRIB_CUSTOM*>(found.begin(), found.end()),
            (std::vector<ATTRIB_CUSTOM*>{first, third}));
  TPI_CUSTOM_ENTITY::find_attrib(nullptr, nullptr, found);
  EXPECT_TRUE(found.empty());
  // Views: an attribute gives its owner and definition; any other entity gives null.
  EXPECT_EQ(TPK::ATTRIB_const_xs(third).owner(), face);
  EXPECT_EQ(third->def()->get_attrib(), third);
  EXPECT_EQ(TPK::ATTRIB_CUSTOM_xs(static_cast<ENTITY*>(face)).get_def(), nullptr);
  EXPECT_EQ(TPK::ATTRIB_CUSTOM_const_xs(static_cast<const ENTITY*>(nullptr)).get(), nullptr);
  EXPECT_EQ(third->body(), b.get());
}

TEST(Attributes, RefusedAttachmentsLeaveTheDefinitionWithTheCaller) {
  body_ptr b = block();
  ATTRIB_CUSTOM* attrib = attach(b->edges()[0], new probe_def(1));
  ATTRIB_CUSTOM* out = nullptr;
  probe_def loose(2);
  EXPECT_FALSE(TPI_CUSTOM_ENTITY::add_attrib(nullptr, &loose, out).ok());
  EXPECT_FALSE(TPI_CUSTOM_ENTITY::add_attrib(b.get(), nullptr, out).ok());
  EXPECT_FALSE(TPI_CUSTOM_ENTITY::add_attrib(attrib, &loose, out).ok());  // attribute as owner
  EXPECT_FALSE(TPI_CUSTOM_ENTITY::add_attrib(b.get(), attrib->def(), out).ok());  // held already
  EXPECT_EQ(out, nullptr);
}

TEST(Attributes, DefinitionsOfDeletedOwnersAreDestroyedWhenTheHistoryLetsGo) {
  scratch_stream stream;
  probe_def::destroyed = 0;
  {
    body_ptr b = block();
    attach(b->vertices()[0], new probe_def(1));
    attach(b.get(), new probe_def(2));
  }
  EXPECT_EQ(probe_def::destroyed, 0);  // the deletion can still be rolled back
  stream->clear();
  EXPECT_EQ(probe_def::destroyed, 2);
}

TEST(Attributes, EditPutsACopyInPlaceOrLeavesTheAttributeAsItWas) {
  body_ptr b = block();
  ATTRIB_CUSTOM* editable = attach(b->faces()[0], new probe_def(1));
  probe_def replacement(7);
  ASSERT_TRUE(replacement.update_attribute_with_this_def(editable).ok());
  EXPECT_EQ(value_of(editable), 7);
  EXPECT_NE(editable->def(), &replacement);
  EXPECT_EQ(editable->def()->get_attrib(), editable);

  ATTRIB_CUSTOM* stubborn = attach(b->faces()[1], new probe_def(1, true));
  const TPI_CUSTOM_ENTITY::attrib_def* before = stubborn->def();
  const outcome refused = replacement.update_attribute_with_this_def(stubborn);
  EXPECT_FALSE(refused.ok());
  EXPECT_NE(refused.message().find("refused"), std::string::npos);
  EXPECT_EQ(stubborn->def(), before);
  EXPECT_EQ(value_of(stubborn), 1);

  ATTRIB_CUSTOM* foreign = attach(b->faces()[2], new other_def());
  EXPECT_FALSE(replacement.update_attribute_with_this_def(foreign).ok());
  EXPECT_FALSE(replacement.update_attribute_with_this_def(nullptr).ok());
}

}  // namespace
