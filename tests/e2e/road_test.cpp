// The road of a reference, walked as an application walks it, through the exported interface of
// the shared library only: build a part from its features, remember its entities as recipe texts,
// keep the model as text, regenerate the part with other dimensions, and resolve the texts in the
// restored and in the regenerated part.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

#include "support/application.h"

namespace TT = TPI_TAGGING_TRACKING;

namespace {

// PAD1, a block with each face tagged by its index, and CUT1, a cut of its top from the corner at
// the origin to the opposite corner; the tag manager, seeded with the feature's number, tells the
// two pieces apart alike in every regeneration.
BODY* build(double width, double depth, double height) {
  BODY* part = nullptr;
  EXPECT_TRUE(TPI_BUILD::make_block(width, depth, height, part).ok());
  for (std::size_t i = 0; i < part->faces().size(); ++i)
    TT::tag_entity(part->faces()[i], "PAD1.f" + std::to_string(i), 1);
  TT::tag_manager_scope cut(2);
  VERTEX *corner = nullptr, *opposite = nullptr;
  for (VERTEX* v : part->vertices()) {
    if (TPK::same_point(v->point(), {0, 0, height})) corner = v;
    if (TPK::same_point(v->point(), {width, depth, height})) opposite = v;
  }
  EDGE* diagonal = nullptr;
  FACE* piece = nullptr;
  EXPECT_TRUE(TPI_MODEL::split_face(part->faces()[1], corner, opposite, diagonal, piece).ok());
  cut.resolve_duplicates();
  return part;
}

using application::entities;
using application::resolve;

std::string tags_text(ENTITY* e) {
  std::string text;
  for (const TT::tag_data& t : *TT::tags_on(e)) {
    text += std::string(t.m_primary_id.begin(), t.m_primary_id.end()) + "/" +
            std::to_string(t.m_secondary_id) + " ";
  }
  return text;
}

class RoadOfAReference : public testing::Test {
 protected:
  void SetUp() override {
    TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
    part = build(2, 1, 1);
    for (ENTITY* e : entities(part)) texts.push_back(application::recipe_text_of(e));
  }
  void TearDown() override {
    for (BODY* b : {part, regenerated}) {
      if (b != nullptr && b->alive()) TPI_MODEL::delete_body(b);
    }
  }
  BODY* part = nullptr;
  BODY* regenerated = nullptr;
  std::vector<std::string> texts;
};

// In the part restored from its model file, whose tags come back face by face and which saves to
// the same text, and in the part regenerated with other dimensions, every remembered entity
// resolves to its counterpart alone; the explanation finds what the matcher finds.
TEST_F(RoadOfAReference, EveryEntityResolvesToItsCounterpartRestoredAndRegenerated) {
  std::string file;
  ASSERT_TRUE(TPI_FILE::save_bodies({part}, file).ok());
  std::vector<BODY*> restored;
  const outcome read = TPI_FILE::restore_bodies(file, restored);
  ASSERT_TRUE(read.ok()) << read.message();
  const std::unique_ptr<BODY, outcome (*)(BODY*)> copy(restored[0], TPI_MODEL::delete_body);
  for (std::size_t i = 0; i < part->faces().size(); ++i)
    EXPECT_EQ(tags_text(copy->faces()[i]), tags_text(part->faces()[i]));
  std::string again;
  ASSERT_TRUE(TPI_FILE::save_bodies({copy.get()}, again).ok());
  EXPECT_EQ(again, file);
  TPI_MODEL::delete_body(part);
  regenerated = build(3, 2, 1.5);
  for (BODY* body : {copy.get(), regenerated}) {
    const std::vector<ENTITY*> counterparts = entities(body);
    ASSERT_EQ(counterparts.size(), texts.size());
    const TT::MATCH_CONTEXT ctx(nullptr, {body}, TT::compare_loose);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(resolve(texts[i], {body}), std::vector<ENTITY*>{counterparts[i]}) << texts[i];
      const TT::match_explanation why = TT::explain_match(ctx, TT::read_recipe(texts[i]).get());
      EXPECT_EQ(why.found, std::vector<ENTITY*>{counterparts[i]}) << texts[i];
      EXPECT_EQ(why.verdict, TT::match_verdict::resolved) << texts[i];
    }
  }
}

// The two top pieces differ only in their secondary ids. A recipe that names neither matches no
// face exactly and both loosely: both come back, in the part's face order, each once. A face
// deleted after it was remembered resolves to nothing.
TEST_F(RoadOfAReference, AmbiguousAndLostReferences) {
  TT::tag_info loose;
  for (TT::tag_data tag : *TT::tags_on(part->faces()[1])) {
    tag.m_secondary_id = -7;
    loose.append(tag);
  }
  TT::FACE_RECIPE both(loose);
  const std::string side = texts[2];
  TPI_MODEL::delete_body(part);
  regenerated = build(3, 2, 1.5);
  EXPECT_EQ(resolve(TT::recipe_text(&both), {regenerated}),
            (std::vector<ENTITY*>{regenerated->faces()[1], regenerated->faces().back()}));
  ASSERT_TRUE(TPI_MODEL::delete_face(regenerated->faces()[2]).ok());
  EXPECT_TRUE(resolve(side, {regenerated}).empty());
}

}  // namespace
