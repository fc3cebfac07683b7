// Modelling operations: the topology they leave and the notifications their attributes hear;
// history streams; and the custom-attribute framework.
#include <cstring>
#include <stdexcept>

#include <gtest/gtest.h>

#include "support/models.h"
#include "support/recorder.h"

using namespace test_support;

namespace {

constexpr double pi = 3.141592653589793;

class Operations : public testing::Test {
 protected:
  void SetUp() override {
    recorder_def::log().clear();
    recorder_def::fail_on.clear();
  }
  void TearDown() override { recorder_def::fail_on.clear(); }
};

TEST_F(Operations, SplitEdgeKeepsThePiecesOnTheSameFacesMergeEdgesUndoesItAndCirclesOpen) {
  body_ptr b = block(2, 1, 1);
  EDGE* edge = edge_between(b.get(), {0, 0, 0}, {2, 0, 0});
  ASSERT_NE(edge, nullptr);
  record_on(edge, "E");
  record_on(edge->start(), "V");
  const std::vector<FACE*> faces = faces_of(edge);
  VERTEX* middle = nullptr;
  EDGE* piece = nullptr;
  ASSERT_TRUE(TPI_MODEL::split_edge(edge, {0.5, 0, 0}, middle, piece).ok());
  EXPECT_VALID(b.get());
  EXPECT_EQ(b->edges().size(), 13u);
  EXPECT_TRUE(TPK::same_point(middle->point(), {0.5, 0, 0}));
  EXPECT_EQ(faces_of(piece), faces);
  EXPECT_EQ(faces_of(edge), faces);
  EXPECT_EQ(edges_of(middle), (std::vector<EDGE*>{edge, piece}));
  EXPECT_EQ(heard_summary(), (std::vector<std::string>{"E:split_owner"}));
  EXPECT_EQ(recorder_def::log()[0].other, piece);
  EXPECT_EQ(recorder_def::log()[0].owner, edge);

  // Merging at the middle vertex restores the edge and tells both edges.
  record_on(piece, "gone");
  record_on(middle, "vertex");
  recorder_def::log().clear();
  EDGE* survivor = nullptr;
  ASSERT_TRUE(TPI_MODEL::merge_edges(middle, survivor).ok());
  EXPECT_EQ(survivor, edge);
  EXPECT_VALID(b.get());
  EXPECT_EQ(edge_between(b.get(), {0, 0, 0}, {2, 0, 0}), edge);
  EXPECT_EQ(heard_summary(), (std::vector<std::string>{"gone:merge_owner", "E:merge_owner",
                                                       "gone:lose_owner", "vertex:lose_owner"}));
  EXPECT_FALSE(TPI_MODEL::merge_edges(b->vertices()[0], survivor).ok());  // a corner of three

  // A closed circle opens; points at its vertex or off the curve are refused and change nothing.
  body_ptr c = cylinder(1, 2);
  EDGE* rim = c->edges()[0];
  const std::string before = describe(c.get());
  EXPECT_FALSE(TPI_MODEL::split_edge(rim, {1, 0, 0}, middle, piece).ok());
  EXPECT_FALSE(TPI_MODEL::split_edge(rim, {0, 0, 5}, middle, piece).ok());
  EXPECT_FALSE(TPI_MODEL::split_edge(nullptr, {0, 0, 0}, middle, piece).ok());
  EXPECT_EQ(describe(c.get()), before);
  ASSERT_TRUE(TPI_MODEL::split_edge(rim, {-1, 0, 0}, middle, piece).ok());
  EXPECT_VALID(c.get());
  EXPECT_FALSE(rim->closed());
  EXPECT_EQ(faces_of(piece).size(), 2u);
}

TEST_F(Operations, SplitFaceOnEverySurfaceKindAndMergeFacesUndoingItSeamsIncluded) {
  // A block face along its diagonal.
  body_ptr b = block();
  FACE* bottom = b->faces()[0];
  record_on(bottom, "F");
  EDGE* diagonal = nullptr;
  FACE* piece = split_between(bottom, {0, 0, 0}, {1, 1, 0}, &diagonal);
  EXPECT_VALID(b.get());
  EXPECT_EQ(b->faces().size(), 7u);
  EXPECT_EQ(faces_of(diagonal), (std::vector<FACE*>{bottom, piece}));
  EXPECT_EQ(heard_summary(), (std::vector<std::string>{"F:split_owner"}));
  EXPECT_EQ(recorder_def::log()[0].other, piece);
  // Merging the pieces undoes the split and tells both faces.
  record_on(piece, "gone");
  recorder_def::log().clear();
  ASSERT_TRUE(TPI_MODEL::merge_faces(bottom, piece).ok());
  EXPECT_VALID(b.get());
  EXPECT_EQ(count_of(b.get()), (std::vector<std::size_t>{8, 12, 6}));
  EXPECT_FALSE(piece->alive());
  EXPECT_FALSE(diagonal->alive());
  EXPECT_EQ(heard_summary(),
            (std::vector<std::string>{"gone:merge_owner", "F:merge_owner", "gone:lose_owner"}));
  EXPECT_EQ(recorder_def::log()[0].other, bottom);
  EXPECT_EQ(recorder_def::log()[0].value, 1);
  EXPECT_EQ(recorder_def::log()[1].other, piece);
  EXPECT_EQ(recorder_def::log()[1].value, 0);
  // Faces that share nothing, or lie on different surfaces, are refused; so is a cut along an
  // existing edge, which would leave a piece of no area. The block stays as it was.
  const std::string merged = describe(b.get());
  EXPECT_FALSE(TPI_MODEL::merge_faces(b->faces()[0], b->faces()[1]).ok());
  EXPECT_FALSE(TPI_MODEL::merge_faces(b->faces()[0], b->faces()[2]).ok());
  EXPECT_FALSE(TPI_MODEL::split_face(b->faces()[0], vertex_at(b.get(), {0, 0, 0}),
                                     vertex_at(b.get(), {1, 0, 0}), diagonal, piece)
                   .ok());
  EXPECT_EQ(describe(b.get()), merged);

  // A cylinder side into halves along the ruling opposite the seam.
  body_ptr c = cylinder(1, 2);
  const halves h = halve(c.get());
  EXPECT_VALID(c.get());
  EXPECT_EQ(h.ruling->geometry()->kind(), curve_kind::straight);
  EXPECT_EQ(vertices_of(h.half).size(), 4u);
  // The halves merge back, and their split vertices then merge their edges back.
  ASSERT_TRUE(TPI_MODEL::merge_faces(c->faces()[2], h.half).ok());
  EDGE* survivor = nullptr;
  ASSERT_TRUE(TPI_MODEL::merge_edges(h.low, survivor).ok());
  ASSERT_TRUE(TPI_MODEL::merge_edges(h.high, survivor).ok());
  EXPECT_VALID(c.get());
  EXPECT_EQ(count_of(c.get()), (std::vector<std::size_t>{2, 3, 3}));
  EXPECT_TRUE(c->edges()[0]->closed());

  // A sphere into two lunes between its poles: the meridian at u = pi.
  body_ptr s = sphere(2);
  ASSERT_TRUE(
      TPI_MODEL::split_face(s->faces()[0], s->vertices()[0], s->vertices()[1], diagonal, piece)
          .ok());
  EXPECT_VALID(s.get());
  const TPK::position mid =
      diagonal->geometry()->eval(0.5 * (diagonal->t_start() + diagonal->t_end()));
  EXPECT_TRUE(TPK::same_point(mid, {-2, 0, 0}));
  // Merged back, the sphere keeps its seam, used twice again.
  ASSERT_TRUE(TPI_MODEL::merge_faces(s->faces()[0], piece).ok());
  EXPECT_VALID(s.get());
  EXPECT_EQ(s->edges().size(), 1u);
  EXPECT_EQ(faces_of(s->edges()[0]).size(), 2u);

  // Vertices it cannot join are refused and change nothing: no ruling between them, one vertex
  // twice, a seam vertex (twice on the side's boundary), a face they are not on.
  body_ptr d = cylinder(1, 2);
  VERTEX *low = nullptr, *high = nullptr;
  ASSERT_TRUE(TPI_MODEL::split_edge(d->edges()[0], {-1, 0, 0}, low, diagonal).ok());
  ASSERT_TRUE(TPI_MODEL::split_edge(d->edges()[1], {0, 1, 2}, high, diagonal).ok());
  const std::string before = describe(d.get());
  EXPECT_FALSE(TPI_MODEL::split_face(d->faces()[2], low, high, diagonal, piece).ok());
  EXPECT_FALSE(TPI_MODEL::split_face(d->faces()[2], low, low, diagonal, piece).ok());
  EXPECT_FALSE(TPI_MODEL::split_face(d->faces()[2], d->vertices()[0], high, diagonal, piece).ok());
  EXPECT_FALSE(TPI_MODEL::split_face(d->faces()[0], low, high, diagonal, piece).ok());
  EXPECT_EQ(describe(d.get()), before);
}

TEST_F(Operations, CopyBodyAsksEachAttributeWhetherItMayBeCopied) {
  body_ptr source = cylinder();
  record_on(source->faces()[2], "side");
  record_on(source->faces()[2], "private", false);
  record_on(source->vertices()[1], "top");
  BODY* made = nullptr;
  ASSERT_TRUE(TPI_MODEL::copy_body(source.get(), made).ok());
  body_ptr copy(made);
  EXPECT_VALID(copy.get());
  EXPECT_EQ(labels_on(copy->faces()[2]), (std::vector<std::string>{"side"}));
  EXPECT_EQ(labels_on(copy->vertices()[1]), (std::vector<std::string>{"top"}));
  ASSERT_EQ(heard_summary(), (std::vector<std::string>{"side:copy", "top:copy"}));
  const heard& first = recorder_def::log()[0];
  EXPECT_EQ(first.owner, source->faces()[2]);
  EXPECT_EQ(TPK::ATTRIB_const_xs(static_cast<const ATTRIB*>(first.other)).owner(),
            copy->faces()[2]);
  // Corresponding orders: the copy answers every query with corresponding entities.
  for (std::size_t e = 0; e < source->edges().size(); ++e) {
    EXPECT_EQ(indices_in(source.get(), faces_of(source->edges()[e])),
              indices_in(copy.get(), faces_of(copy->edges()[e])));
  }
  EXPECT_EQ(fans_at(source->vertices()[0]), fans_at(copy->vertices()[0]));
}

TEST_F(Operations, ExtrudeTurnsASheetIntoASolidAndCopiesTheProfileTags) {
  body_ptr square = polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
  FACE* profile = square->faces()[0];
  record_on(profile, "P");
  record_on(square->edges()[0], "e0");
  record_on(square->vertices()[2], "v2");
  FACE* top = nullptr;
  ASSERT_TRUE(TPI_MODEL::extrude(profile, {0, 0, 2}, top).ok());
  EXPECT_VALID(square.get());
  EXPECT_EQ(count_of(square.get()), (std::vector<std::size_t>{8, 12, 6}));
  EXPECT_EQ(square->faces()[0], profile);
  EXPECT_EQ(labels_on(profile), (std::vector<std::string>{"P"}));
  EXPECT_EQ(heard_summary(),
            (std::vector<std::string>{"P:copy_owner", "e0:copy_owner", "v2:copy_owner"}));
  EXPECT_EQ(recorder_def::log()[0].other, top);
  TPK::par_pos uv;
  EXPECT_TRUE(top->geometry()->param({0.5, 0.5, 2}, uv, nullptr));
  // The profile now faces down, away from the solid.
  const TPK::vector3 n = profile->geometry()->normal(uv);
  EXPECT_LT((profile->reversed() ? -1 : 1) * n.z, 0);

  body_ptr drum = disc();
  ASSERT_TRUE(TPI_MODEL::extrude(drum->faces()[0], {0, 0, -3}, top).ok());
  EXPECT_VALID(drum.get());
  EXPECT_EQ(count_of(drum.get()), (std::vector<std::size_t>{2, 3, 3}));
  EXPECT_EQ(fans_at(drum->vertices()[0]).size(), 1u);
  // A solid, a direction in the plane, and a null profile are refused.
  body_ptr b = block();
  EXPECT_FALSE(TPI_MODEL::extrude(b->faces()[0], {0, 0, 1}, top).ok());
  EXPECT_FALSE(TPI_MODEL::extrude(drum->faces()[0], {1, 0, 0}, top).ok());
  EXPECT_FALSE(TPI_MODEL::extrude(nullptr, {0, 0, 1}, top).ok());
}

TEST_F(Operations, TransformMovesEverythingAndTellsEveryAttribute) {
  body_ptr b = block();
  record_on(b->faces()[1], "F");
  record_on(b.get(), "B");
  ASSERT_TRUE(
      TPI_MODEL::transform_body(b.get(), TPK::transf::rotate({0, 0, 0}, {0, 0, 1}, pi / 2)).ok());
  EXPECT_VALID(b.get());
  EXPECT_NE(vertex_at(b.get(), {-1, 1, 1}), nullptr);
  EXPECT_EQ(heard_summary(), (std::vector<std::string>{"F:trans_owner", "B:trans_owner"}));
  TPK::transf squash;
  squash.rotation[0][0] = 2;
  EXPECT_FALSE(TPI_MODEL::transform_body(b.get(), squash).ok());
}

TEST_F(Operations, DeleteFaceLeavesASheetAndLosesWhatOnlyItUsed) {
  body_ptr b = block();
  record_on(b->faces()[1], "top");
  ASSERT_TRUE(TPI_MODEL::delete_face(b->faces()[1]).ok());
  EXPECT_VALID(b.get());
  EXPECT_EQ(count_of(b.get()), (std::vector<std::size_t>{8, 12, 5}));
  EXPECT_EQ(heard_summary(), (std::vector<std::string>{"top:lose_owner"}));
  EXPECT_EQ(fans_at(vertex_at(b.get(), {0, 0, 1})).size(), 1u);  // open now
  // Deleting the disc's only face takes its edge and vertex along.
  body_ptr flat = disc();
  ASSERT_TRUE(TPI_MODEL::delete_face(flat->faces()[0]).ok());
  EXPECT_EQ(count_of(flat.get()), (std::vector<std::size_t>{0, 0, 0}));
  EXPECT_FALSE(TPI_MODEL::delete_entity(b->edges()[0]).ok());
}

TEST_F(Operations, AFailingNotificationUndoesTheWholeOperation) {
  scratch_stream stream;
  body_ptr b = block();
  record_on(b->faces()[0], "F");
  const std::string before = describe(b.get());
  const auto heap = TPK::get_heap_counts();
  recorder_def::fail_on = "split_owner";
  EDGE* edge = nullptr;
  FACE* piece = nullptr;
  EXPECT_THROW(TPI_MODEL::split_face(b->faces()[0], vertex_at(b.get(), {0, 0, 0}),
                                     vertex_at(b.get(), {1, 1, 0}), edge, piece),
               std::runtime_error);
  EXPECT_EQ(describe(b.get()), before);
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, heap.live_blocks);
  EXPECT_EQ(stream->states_behind(), 1u);  // the block and its attribute, nothing more
  recorder_def::fail_on.clear();
}

// The statement an outside operation hands over is checked before anything is notified.
TEST(ChangeStatement, CheckNamesEachBrokenInvariant) {
  body_ptr b = block();
  const std::vector<FACE*> f = faces_of(b.get());
  TPK::change_statement fine;
  fine.split(f[0], f[1]);
  fine.merged(f[2], f[3]);
  fine.lost(f[2]);
  EXPECT_EQ(fine.check(), nullptr);

  const auto broken = [](auto state) {
    TPK::change_statement s;
    state(s);
    return s.check() != nullptr;
  };
  EXPECT_TRUE(broken([&](TPK::change_statement& s) { s.lost(nullptr); }));
  EXPECT_TRUE(broken([&](TPK::change_statement& s) { s.copied(f[0], nullptr); }));
  EXPECT_TRUE(broken([&](TPK::change_statement& s) { s.split(f[0], f[0]); }));
  EXPECT_TRUE(broken([&](TPK::change_statement& s) {
    s.split(f[0], f[1]);
    s.lost(f[0]);
  }));
  EXPECT_TRUE(broken([&](TPK::change_statement& s) {
    s.merged(f[0], f[1]);
    s.lost(f[1]);
  }));
}

// History streams: roll back and forward to identical models, roll notifications, and the memory
// the history holds and lets go.
class History : public testing::Test {
 protected:
  void SetUp() override { recorder_def::log().clear(); }
};

// Splits a block's bottom face and one of its edges, then merges the face back, one state each.
struct three_steps {
  explicit three_steps(BODY* b) : body(b) {}
  void run(HISTORY_STREAM* stream) {
    FACE* piece = split_between(body->faces()[0], {0, 0, 0}, {1, 1, 0});
    stream->note_state();
    VERTEX* middle = nullptr;
    EDGE* half = nullptr;
    ASSERT_TRUE(TPI_MODEL::split_edge(body->edges()[2], {1, 0.5, 0}, middle, half).ok());
    stream->note_state();
    ASSERT_TRUE(TPI_MODEL::merge_faces(body->faces()[0], piece).ok());
    stream->note_state();
  }
  BODY* body;
};

// That rolls give back the same entity objects and links is held by the random sequences (the
// hardening tests), which never ask for a roll past the ends: here a refused roll changes nothing,
// a change after rolling back discards what could be rolled forward, and clearing frees it all.
TEST_F(History, RefusedRollsChangeNothingAndAChangeDiscardsWhatIsAhead) {
  scratch_stream stream;
  const auto baseline = TPK::get_heap_counts();
  {
    body_ptr b = block();
    record_on(b->faces()[0], "bottom");
    stream->note_state();
    three_steps(b.get()).run(stream.get());
    const std::string last = describe(b.get());
    EXPECT_FALSE(stream->roll_forward(1).ok());
    EXPECT_FALSE(stream->roll_back(5).ok());
    EXPECT_EQ(describe(b.get()), last);
    ASSERT_TRUE(stream->roll_back(3).ok());
    record_on(b->faces()[0], "new");
    EXPECT_EQ(stream->states_ahead(), 0u);
    EXPECT_VALID(b.get());
  }
  stream->clear();
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, baseline.live_blocks);
  EXPECT_EQ(TPK::get_heap_counts().live_bytes, baseline.live_bytes);
}

TEST_F(History, RollNotifyTellsAttributesTheyLeaveAndReturn) {
  scratch_stream stream;
  body_ptr b = block();
  stream->note_state();
  ATTRIB_CUSTOM* attrib = record_on(b->faces()[2], "A");
  stream->note_state();
  ASSERT_TRUE(stream->roll_back(1).ok());
  EXPECT_FALSE(attrib->alive());
  EXPECT_TRUE(labels_on(b->faces()[2]).empty());
  ASSERT_TRUE(stream->roll_forward(1).ok());
  EXPECT_EQ(labels_on(b->faces()[2]), (std::vector<std::string>{"A"}));
  ASSERT_EQ(recorder_def::log().size(), 2u);
  EXPECT_EQ(recorder_def::log()[0].value, TPI_CUSTOM_ENTITY::ROLL_NOTIFY_LEAVING);
  EXPECT_EQ(recorder_def::log()[1].value, TPI_CUSTOM_ENTITY::ROLL_NOTIFY_RETURNED);

  // An edit swaps definitions: the current one hears it leave, the reinstated one its return.
  recorder_def edited("A2");
  ASSERT_TRUE(edited.update_attribute_with_this_def(attrib).ok());
  stream->note_state();
  EXPECT_EQ(labels_on(b->faces()[2]), (std::vector<std::string>{"A2"}));
  recorder_def::log().clear();
  ASSERT_TRUE(stream->roll_back(1).ok());
  EXPECT_EQ(labels_on(b->faces()[2]), (std::vector<std::string>{"A"}));
  EXPECT_EQ(heard_summary(), (std::vector<std::string>{"A2:roll_notify", "A:roll_notify"}));
  EXPECT_EQ(recorder_def::log()[0].value, 0);
  EXPECT_EQ(recorder_def::log()[1].value, 2);
  ASSERT_TRUE(stream->roll_forward(1).ok());
  EXPECT_EQ(labels_on(b->faces()[2]), (std::vector<std::string>{"A2"}));
}

TEST_F(History, StateLimitsAndDeletedStreamsFreeWhatTheyHeld) {
  HISTORY_STREAM* previous = nullptr;
  TPI_HISTORY::get_default(previous, false);
  HISTORY_STREAM* stream = nullptr;
  TPI_HISTORY::get_default(stream, true);
  const auto baseline = TPK::get_heap_counts();
  stream->set_max_states(2);
  BODY* b = nullptr;
  ASSERT_TRUE(TPI_BUILD::make_block(1, 1, 1, b).ok());
  stream->note_state();
  three_steps(b).run(stream);
  EXPECT_EQ(stream->states_behind(), 2u);
  EXPECT_FALSE(stream->roll_back(3).ok());
  EXPECT_FALSE(TPI_HISTORY::delete_stream(stream).ok());  // default, and holds a live body
  TPI_HISTORY::set_default(previous);
  EXPECT_FALSE(TPI_HISTORY::delete_stream(stream).ok());  // still holds a live body
  // The body's deletion is recorded where the default stream is.
  TPI_HISTORY::set_default(stream);
  ASSERT_TRUE(TPI_MODEL::delete_body(b).ok());
  TPI_HISTORY::set_default(previous);
  ASSERT_TRUE(TPI_HISTORY::delete_stream(stream).ok());
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, baseline.live_blocks - 1);  // the stream itself
}

TEST_F(History, ChangesAreRecordedInTheDefaultStreamOnly) {
  scratch_stream first;
  body_ptr a = block();
  first->note_state();
  HISTORY_STREAM* second = nullptr;
  TPI_HISTORY::get_default(second, true);
  body_ptr b = block();
  record_on(a->faces()[0], "in second");
  const std::string a_now = describe(a.get());
  // Bodies, and everything on them, belong to the stream that was the default when they were made.
  HISTORY_STREAM* found = nullptr;
  ASSERT_TRUE(TPI_HISTORY::get_history_from_entity(a->faces()[3], found).ok());
  EXPECT_EQ(found, first.get());
  ASSERT_TRUE(TPI_HISTORY::get_history_from_entity(b->faces()[0], found).ok());
  EXPECT_EQ(found, second);
  EXPECT_FALSE(TPI_HISTORY::get_history_from_entity(nullptr, found).ok());
  EXPECT_FALSE(TPI_HISTORY::set_default(nullptr).ok());
  ASSERT_TRUE(TPI_HISTORY::set_default(first.get()).ok());
  EXPECT_EQ(first->states_behind(), 1u);
  ASSERT_TRUE(first->roll_back(1).ok());  // undoes the first block, not the attribute
  EXPECT_FALSE(a->alive());
  EXPECT_TRUE(b->alive());
  ASSERT_TRUE(first->roll_forward(1).ok());
  EXPECT_EQ(describe(a.get()), a_now);
  a.reset();  // recorded in the first stream
  TPI_HISTORY::set_default(second);
  b.reset();  // recorded in the second
  TPI_HISTORY::set_default(first.get());
  EXPECT_TRUE(TPI_HISTORY::delete_stream(second).ok());
}

// The custom-attribute framework: attachment, lookup, editing, factories and output.
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
