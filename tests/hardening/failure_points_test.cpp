// Allocation failure at every step of every public operation that allocates: kernel operations with
// the tag attribute's notifications, model files with tags, tracking, recipe texts, comparison and
// id updates, and the three matchers. After each failure: std::bad_alloc, the caller's outputs
// untouched, and the model as it was (see failure_point_checks).
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/failure_points.h"
#include "support/models.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
namespace TT = TPI_TAGGING_TRACKING;

namespace {

// A tagged block in its own history stream, one of its faces split.
class FailurePoints : public testing::Test {
 protected:
  void SetUp() override {
    TT::generic_tag_attrib_def_savres::set_savres_def(TT::generic_tag_attrib_def::name());
    body = block(2, 1, 1);
    const char* ids[] = {"F0 P[3]", "F1", "F2/4", "F3", "F4 Q[1,2]", "F5"};
    for (std::size_t i = 0; i < 6; ++i) set_tags(body->faces()[i], ids[i]);
    split_between(body->faces()[0], {0, 0, 0}, {2, 1, 0});
    stream->note_state();
  }

  void at_every_point(const std::function<void()>& step,
                      const std::function<bool()>& outputs_untouched,
                      const std::function<void()>& undo = nullptr) {
    m_points += checks.at_every_point(step, outputs_untouched, undo);
  }

  void TearDown() override { RecordProperty("failure_points", m_points); }

  tag_state_guard guard;
  scratch_stream stream;
  body_ptr body;
  failure_point_checks checks{[this] { return std::vector<BODY*>{body.get()}; }};
  int m_points = 0;
};

// Each kernel operation on the tagged model, undone after its successful run.
TEST_F(FailurePoints, KernelOperationsWithTheirTagNotifications) {
  const auto roll_back = [&] { ASSERT_TRUE(stream->roll_back(1).ok()); };
  const auto nothing = [] { return true; };
  const auto ok = [](const outcome& r) { EXPECT_TRUE(r.ok()) << r.message(); };
  const std::vector<std::pair<const char*, std::function<void()>>> operations = {
      {"split_face",
       [&] {
         EDGE* e = nullptr;
         FACE* f = nullptr;
         ok(TPI_MODEL::split_face(body->faces()[2], vertex_at(body.get(), {0, 0, 0}),
                                  vertex_at(body.get(), {2, 0, 1}), e, f));
       }},
      {"merge_faces", [&] { ok(TPI_MODEL::merge_faces(body->faces()[0], body->faces().back())); }},
      {"split_edge",
       [&] {
         VERTEX* v = nullptr;
         EDGE* e = nullptr;
         ok(TPI_MODEL::split_edge(edge_between(body.get(), {0, 0, 1}, {2, 0, 1}), {1, 0, 1}, v, e));
       }},
      {"copy_body",
       [&] {
         BODY* copy = nullptr;
         ok(TPI_MODEL::copy_body(body.get(), copy));
       }},
      {"transform_body",
       [&] {
         ok(TPI_MODEL::transform_body(body.get(), TPK::transf::translate({1, 2, 3})));
       }},
      {"delete_face", [&] { ok(TPI_MODEL::delete_face(body->faces()[2])); }},
      {"delete_attrib", [&] { ok(TPI_MODEL::delete_attrib(tag_attrib_of(body->faces()[3]))); }},
      {"update_secondary_id_for_attrib",
       [&] {
         EXPECT_TRUE(TT::update_secondary_id_for_attrib(tag_attrib_of(body->faces()[4]), 9));
       }},
      {"prepend_operation_id_for_attrib",
       [&] {
         EXPECT_TRUE(TT::prepend_operation_id_for_attrib(tag_attrib_of(body->faces()[4]), 6, true));
       }},
  };
  for (const bool manager : {false, true}) {
    TT::activateTagManager(manager);
    for (const auto& [name, operation] : operations) {
      SCOPED_TRACE(std::string(name) + (manager ? ", tag manager on" : ""));
      const std::string before = describe(body.get());
      at_every_point(
          [&] {
            operation();
            stream->note_state();
          },
          nothing, roll_back);
      EXPECT_EQ(describe(body.get()), before);
    }
  }
}

// Two bodies, so that a restore also fails after a whole body was made.
TEST_F(FailurePoints, ModelFilesWithTags) {
  std::string text;
  const std::vector<BODY*> bodies{body.get(), body.get()};
  at_every_point([&] { TPI_FILE::save_bodies(bodies, text); }, [&] { return text.empty(); },
                 [&] { text.clear(); });
  TPI_FILE::save_bodies(bodies, text);
  std::vector<BODY*> restored;
  at_every_point([&] { TPI_FILE::restore_bodies(text, restored); },
                 [&] { return restored.empty(); },
                 [&] {
                   for (BODY* b : restored) TPI_MODEL::delete_body(b);
                   restored.clear();
                   stream->clear();
                 });
}

TEST_F(FailurePoints, TrackingRecipeTextsAndMatching) {
  EDGE* edge = edge_between(body.get(), {0, 0, 1}, {2, 0, 1});
  VERTEX* vertex = vertex_at(body.get(), {0, 0, 1});
  const std::vector<std::pair<const char*, const TT::ITrackable*>> trackables = {
      {"face", new TT::FACE_TRACKABLE(body->faces()[4])},
      {"edge", new TT::EDGE_TRACKABLE(edge)},
      {"vertex", new TT::VERTEX_TRACKABLE(vertex)}};
  for (const auto& [kind, trackable] : trackables) {
    SCOPED_TRACE(kind);
    std::unique_ptr<const TT::ITrackable> owned(trackable);
    TT::IRecipe* made = nullptr;
    const auto forget_made = [&] {
      delete made;
      made = nullptr;
    };
    at_every_point([&] { trackable->MakeRecipe(TT::TRACK_CONTEXT(), made); },
                   [&] { return made == nullptr; }, forget_made);
    trackable->MakeRecipe(TT::TRACK_CONTEXT(), made);
    std::unique_ptr<TT::IRecipe> recipe(made);
    ASSERT_NE(recipe, nullptr);

    char* text = nullptr;
    at_every_point([&] { TT::save_to_string(text, recipe.get()); }, [&] { return text == nullptr; },
                   [&] {
                     delete[] text;
                     text = nullptr;
                   });
    TT::save_to_string(text, recipe.get());
    std::unique_ptr<char[]> kept(text);
    TT::IRecipe* read = nullptr;
    at_every_point([&] { TT::restore_from_string(text, read); }, [&] { return read == nullptr; },
                   [&] {
                     delete read;
                     read = nullptr;
                   });
    TT::restore_from_string(text, read);
    std::unique_ptr<TT::IRecipe> back(read);

    EXPECT_TRUE(TT::is_same_Recipe(recipe.get(), back.get()));
    std::vector<TT::ITrackable*> found;
    std::unique_ptr<TT::ITracker> tracker(recipe->create_tracker());
    const TT::MATCH_CONTEXT ctx(nullptr, {body.get()}, TT::compare_loose);
    const auto forget_found = [&] {
      for (TT::ITrackable* t : found) delete t;
      found.clear();
    };
    at_every_point([&] { tracker->match(ctx, recipe.get(), found); }, [&] { return found.empty(); },
                   forget_found);
    tracker->match(ctx, recipe.get(), found);
    EXPECT_EQ(found.size(), 1u);
    forget_found();
  }
}

// Duplicate resolution renumbers attribute by attribute, each change its own kernel operation in
// the owner's history stream: a failure part way leaves the changes made so far, a valid model, the
// default stream (here not the owner's) as it was and the manager off and empty.
TEST(DuplicateResolutionFailures, EveryPointEndsWithTheManagerOffAndEmpty) {
  tag_state_guard guard;
  for (heap which : {heap::kernel, heap::general}) {
    for (int n = 1;; ++n) {
      scratch_stream stream;
      body_ptr b = block();
      set_tags(b->faces()[0], "F P[1]");
      TT::activateTagManager(true);
      split_between(b->faces()[0], {0, 0, 0}, {1, 1, 0});
      HISTORY_STREAM* before = nullptr;
      TPI_HISTORY::get_default(before, true);
      fail_allocation_after(which, n);
      bool failed = false;
      try {
        TT::manageDupicateTags();
      } catch (const std::bad_alloc&) {
        failed = true;
      }
      fail_allocation_after(which, 0);
      HISTORY_STREAM* now = nullptr;
      TPI_HISTORY::get_default(now, false);
      EXPECT_EQ(now, before);
      EXPECT_VALID(b.get());
      EXPECT_TRUE(registry_summary().empty());
      EXPECT_FALSE(TT::tag_registry::instance().active());
      TPI_HISTORY::set_default(stream.get());
      TPI_HISTORY::delete_stream(before);
      if (!failed) break;
    }
  }
}

}  // namespace
