// The hardening runs, on the reference kernel: allocation failure at every step of every public
// operation that allocates, and random operation sequences against roll back.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/failure_points.h"
#include "support/models.h"
#include "support/random_sequence.h"
#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
namespace TT = TPI_TAGGING_TRACKING;

namespace {

// Allocation failure at every step of every public operation that allocates: kernel operations with
// the tag attribute's notifications, model files with tags, tracking, recipe texts, comparison and
// id updates, and the three matchers. After each failure: std::bad_alloc, the caller's outputs
// untouched, and the model as it was (see failure_point_checks).

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

  // What `make` gives into a pointer it is handed (null at every failure point), made for real
  // once it has failed at each of them.
  template <class T, class Make>
  std::unique_ptr<T> made_at_every_point(Make make) {
    typename std::unique_ptr<T>::pointer made = nullptr;
    const auto forget = [&] {
      std::default_delete<T>()(made);
      made = nullptr;
    };
    at_every_point([&] { make(made); }, [&] { return made == nullptr; }, forget);
    make(made);
    return std::unique_ptr<T>(made);
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
    const std::unique_ptr<TT::IRecipe> recipe = made_at_every_point<TT::IRecipe>(
        [&](TT::IRecipe*& made) { trackable->MakeRecipe(TT::TRACK_CONTEXT(), made); });
    ASSERT_NE(recipe, nullptr);
    const std::unique_ptr<char[]> text =
        made_at_every_point<char[]>([&](char*& made) { TT::save_to_string(made, recipe.get()); });
    const std::unique_ptr<TT::IRecipe> back = made_at_every_point<TT::IRecipe>(
        [&](TT::IRecipe*& made) { TT::restore_from_string(text.get(), made); });
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

// Random operation sequences against roll back: tagged models under random splits, merges, copies,
// transforms, deletions, tag edits and re-tagging, duplicate resolution, noted states, roll backs,
// roll forwards and clears, some steps with an allocation failing. After every step each body
// passes the validity check, the tag manager records only live attributes, a failed step changed
// nothing, and the model file saved restores and saves again to the same text; rolling to a noted
// state gives the same entity objects, links, tags and model file as then; when everything is
// deleted, the kernel heap is back where it started.
//
// TAGTRACK_SEQUENCES sets the number of sequences (default 60), TAGTRACK_STEPS their length
// (default 60) and TAGTRACK_SEED the first seed; a failure names its seed and step.
// Two tagged blocks under the kernel's operations, tag edits and duplicate resolution, beside
// bodies that touch themselves: a sheet of two triangles whose corners stand at one point as two
// vertices, and a solid of two tetrahedra whose apexes do. Degenerate arguments are weighted in:
// vertices at one point, points at or past an edge's ends, faces that share only a vertex.
class kernel_sequence final : public random_sequence {
 public:
  explicit kernel_sequence(unsigned seed) : random_sequence(seed, {heap::kernel, heap::general}) {
    for (const TPK::vector3 size : {TPK::vector3{2, 1, 1}, TPK::vector3{1, 1, 3}}) {
      BODY* body = nullptr;
      TPI_BUILD::make_block(size.x, size.y, size.z, body);
      add_body(body);
    }
    const std::vector<TPK::position> points = {{0, 0, 0}, {2, 0, 0}, {1, 1, 0}, {2, 2, 0},
                                               {0, 2, 0}, {1, 1, 0}, {1, 1, 2}, {0, 0, 2}};
    using loops = std::vector<std::vector<int>>;
    const loops sheet = {{0, 1, 2, 3, 4, 5}}, solid = {{0, 2, 1}, {0, 7, 2}, {1, 2, 7}, {0, 1, 7},
                                                       {5, 4, 3}, {5, 3, 6}, {3, 4, 6}, {4, 5, 6}};
    for (const loops& faces : {sheet, solid}) {
      BODY* body = nullptr;
      EXPECT_TRUE(TPI_BUILD::make_polyhedron(points, faces, body).ok());
      add_body(body);
    }
    for (BODY* body : live()) {
      for (std::size_t i = 0; i < body->faces().size(); ++i) {
        set_tags(body->faces()[i], "F" + std::to_string(i % 3) + "[" + std::to_string(i) + "]");
      }
    }
    start();
  }

 private:
  // A vertex of `face`; now and then, one standing at the point of `other` when there is one.
  VERTEX* any_vertex(FACE* face, const VERTEX* other = nullptr) {
    const std::vector<VERTEX*> v = vertices_of(face);
    if (other != nullptr && pick(2) == 0) {
      for (VERTEX* w : v) {
        if (w != other && TPK::same_point(w->point(), other->point())) return w;
      }
    }
    return v[pick(v.size())];
  }

  void operation() override {
    FACE* face = any_face();
    switch (pick(13)) {
      case 0:
      case 1: {  // split a face between two of its vertices
        m_last = "split_face";
        if (face == nullptr) return;
        VERTEX* a = any_vertex(face);
        EDGE* e = nullptr;
        FACE* f = nullptr;
        note_refusal(TPI_MODEL::split_face(face, a, any_vertex(face, a), e, f));
        return;
      }
      case 2: {  // merge a face with a neighbour across an edge or a vertex
        m_last = "merge_faces";
        if (face == nullptr) return;
        const std::vector<FACE*> across =
            pick(3) == 0 ? faces_of(any_vertex(face))
                         : faces_of(edges_of(face)[pick(edges_of(face).size())]);
        note_refusal(TPI_MODEL::merge_faces(face, across[pick(across.size())]));
        return;
      }
      case 3: {  // split an edge in its middle, at or just past an end, or just inside one
        m_last = "split_edge";
        if (face == nullptr) return;
        const std::vector<EDGE*> edges = edges_of(face);
        EDGE* edge = edges[pick(edges.size())];
        const double at[] = {0.5, 0, 1, 1 + 1e-3, 1e-7, -1e-3};
        const double f = at[pick(3) == 0 ? pick(6) : 0];
        VERTEX* v = nullptr;
        EDGE* e = nullptr;
        note_refusal(TPI_MODEL::split_edge(
            edge, edge->geometry()->eval(edge->t_start() + f * (edge->t_end() - edge->t_start())),
            v, e));
        return;
      }
      case 4: {  // merge the edges at a vertex
        m_last = "merge_edges";
        if (face == nullptr) return;
        EDGE* e = nullptr;
        note_refusal(TPI_MODEL::merge_edges(any_vertex(face), e));
        return;
      }
      case 12: {  // extrude the face of a one-face sheet, towards either side or along its plane
        m_last = "extrude";
        if (face == nullptr || face->body()->faces().size() != 1) return;
        FACE* top = nullptr;
        note_refusal(TPI_MODEL::extrude(face, {0, 0.5 * pick(2), pick(3) - 1.0}, top));
        return;
      }
      case 5: {
        m_last = "copy_body";
        const std::vector<BODY*> bodies = live();
        if (bodies.empty() || body_count() > 8) return;
        BODY* copy = nullptr;
        reserve_body();
        if (TPI_MODEL::copy_body(bodies[pick(bodies.size())], copy).ok()) add_body(copy);
        return;
      }
      case 6: {
        m_last = "transform_body";
        const std::vector<BODY*> bodies = live();
        if (bodies.empty()) return;
        TPI_MODEL::transform_body(bodies[pick(bodies.size())],
                                  TPK::transf::rotate({1, 0, 0}, {0, 0, 1}, 0.5 * pick(4)));
        return;
      }
      case 7:
        m_last = "delete_face";
        if (face != nullptr && pick(3) == 0) TPI_MODEL::delete_face(face);
        return;
      case 8: {  // a tag edit, through the kernel
        m_last = "tag edit";
        if (face == nullptr) return;
        ATTRIB_CUSTOM* a = tag_attrib_of(face);
        if (a == nullptr) return;
        if (pick(2) == 0) {
          TT::update_secondary_id_for_attrib(a, static_cast<int>(pick(3)));
        } else {
          TT::prepend_operation_id_for_attrib(a, 1 + static_cast<int>(pick(4)), pick(2) == 0);
        }
        return;
      }
      case 9:  // re-tagging: the old attribute goes, a new one comes
        m_last = "re-tag";
        if (face == nullptr) return;
        if (ATTRIB_CUSTOM* a = tag_attrib_of(face)) TPI_MODEL::delete_attrib(a);
        m_atomic = false;  // two kernel operations
        tag(face, "R" + std::to_string(pick(2)));
        return;
      case 10:
        m_last = "activateTagManager";
        TT::activateTagManager(pick(4) != 0);
        return;
      default:
        m_last = "manageDupicateTags";
        m_atomic = false;  // one kernel operation per renumbered attribute
        TT::manageDupicateTags();
        return;
    }
  }
};

TEST(RandomSequences, RollingBackGivesTheSavedModelAndEveryStepLeavesAValidModel) {
  run_random_sequences<kernel_sequence>(60, 60);
}

}  // namespace
