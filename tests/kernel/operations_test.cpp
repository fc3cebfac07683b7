// Modelling operations: the topology they leave and the notifications their attributes hear.
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

TEST_F(Operations, SplitFaceOnEverySurfaceKindAndMergeFacesUndoingIt) {
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
  // Faces that share nothing, or lie on different surfaces, are refused.
  EXPECT_FALSE(TPI_MODEL::merge_faces(b->faces()[0], b->faces()[1]).ok());
  EXPECT_FALSE(TPI_MODEL::merge_faces(b->faces()[0], b->faces()[2]).ok());

  // A cylinder side into halves along the ruling opposite the seam.
  body_ptr c = cylinder(1, 2);
  const halves h = halve(c.get());
  EXPECT_VALID(c.get());
  EXPECT_EQ(h.ruling->geometry()->kind(), curve_kind::straight);
  EXPECT_EQ(vertices_of(h.half).size(), 4u);

  // A sphere into two lunes between its poles: the meridian at u = pi.
  body_ptr s = sphere(2);
  ASSERT_TRUE(
      TPI_MODEL::split_face(s->faces()[0], s->vertices()[0], s->vertices()[1], diagonal, piece)
          .ok());
  EXPECT_VALID(s.get());
  const TPK::position mid =
      diagonal->geometry()->eval(0.5 * (diagonal->t_start() + diagonal->t_end()));
  EXPECT_TRUE(TPK::same_point(mid, {-2, 0, 0}));

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

TEST_F(Operations, MergeFacesKeepsSeamsOfPeriodicSurfaces) {
  body_ptr s = sphere(1);
  EDGE* meridian = nullptr;
  FACE* lune = nullptr;
  ASSERT_TRUE(
      TPI_MODEL::split_face(s->faces()[0], s->vertices()[0], s->vertices()[1], meridian, lune)
          .ok());
  ASSERT_TRUE(TPI_MODEL::merge_faces(s->faces()[0], lune).ok());
  EXPECT_VALID(s.get());
  EXPECT_EQ(s->edges().size(), 1u);
  EXPECT_EQ(faces_of(s->edges()[0]).size(), 2u);  // the seam, used twice again

  // Cylinder halves merge back, and their split vertices then merge their edges back.
  body_ptr c = cylinder(1, 2);
  const halves h = halve(c.get());
  ASSERT_TRUE(TPI_MODEL::merge_faces(c->faces()[2], h.half).ok());
  EDGE* survivor = nullptr;
  ASSERT_TRUE(TPI_MODEL::merge_edges(h.low, survivor).ok());
  ASSERT_TRUE(TPI_MODEL::merge_edges(h.high, survivor).ok());
  EXPECT_VALID(c.get());
  EXPECT_EQ(c->vertices().size(), 2u);
  EXPECT_EQ(c->edges().size(), 3u);
  EXPECT_TRUE(c->edges()[0]->closed());
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

}  // namespace

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

// A cut along an existing edge would leave a piece of no area; the kernel refuses it and the body
// stays as it was (and so saves and restores as before).
TEST_F(Operations, ACutAlongAnEdgeIsRefusedWithTheBodyUntouched) {
  body_ptr sheet = polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
  const std::string before = describe(sheet.get());
  EDGE* edge = nullptr;
  FACE* piece = nullptr;
  const outcome r = TPI_MODEL::split_face(sheet->faces()[0], vertex_at(sheet.get(), {0, 0, 0}),
                                          vertex_at(sheet.get(), {1, 0, 0}), edge, piece);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(describe(sheet.get()), before);
  EXPECT_VALID(sheet.get());
}
