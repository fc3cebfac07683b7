// Trackables, trackers and the track context as a framework.
#include <gtest/gtest.h>

#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

TEST(Trackables, HoldTheirEntityAndCopyIt) {
  body_ptr b = block();
  FACE_TRACKABLE face(b->faces()[0]);
  EDGE_TRACKABLE edge(b->edges()[1]);
  VERTEX_TRACKABLE vertex(b->vertices()[2]);
  EXPECT_EQ(face.GetFacePtr(), b->faces()[0]);
  EXPECT_EQ(edge.GetEdgePtr(), b->edges()[1]);
  EXPECT_EQ(vertex.GetVertexPtr(), b->vertices()[2]);
  FACE_TRACKABLE copy(face), assigned;
  EXPECT_EQ(assigned.GetFacePtr(), nullptr);
  assigned = copy;
  EXPECT_EQ(assigned.GetFacePtr(), b->faces()[0]);
  EXPECT_EQ(EDGE_TRACKABLE().GetEdgePtr(), nullptr);
  EXPECT_EQ(VERTEX_TRACKABLE().GetVertexPtr(), nullptr);
}

TEST(Trackables, TheDoNothingTrackerLeavesEverythingAlone) {
  TPI_TRACKER tracker;
  FACE_RECIPE existing;
  IRecipe* recipe = &existing;
  FACE_TRACKABLE nothing;
  tracker.track(TRACK_CONTEXT(), &nothing, recipe);
  EXPECT_EQ(recipe, &existing);
  std::vector<ITrackable*> results;
  HISTORY_STREAM* stream = nullptr;
  TPI_HISTORY::get_default(stream, false);
  TRACK_CONTEXT with_stream(stream), copied(with_stream);
  copied = with_stream;
  tracker.track(copied, &nothing, recipe);
  EXPECT_EQ(recipe, &existing);
  EXPECT_TRUE(results.empty());
}

}  // namespace
