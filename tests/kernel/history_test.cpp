// History streams: roll back and forward to identical models, roll notifications, and the memory
// the history holds and lets go.
#include <gtest/gtest.h>

#include "support/models.h"
#include "support/recorder.h"

using namespace test_support;

namespace {

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

// A change after rolling back discards what could be rolled forward; all of it is freed.
TEST_F(History, RollingBackAndForwardGivesBackTheSameObjectsAndLinks) {
  scratch_stream stream;
  const auto baseline = TPK::get_heap_counts();
  {
    body_ptr b = block();
    record_on(b->faces()[0], "bottom");
    stream->note_state();
    std::vector<std::string> seen{describe(b.get())};
    three_steps(b.get()).run(stream.get());
    seen.push_back(describe(b.get()));
    ASSERT_EQ(stream->states_behind(), 4u);
    ASSERT_TRUE(stream->roll_back(3).ok());
    EXPECT_EQ(describe(b.get()), seen[0]);
    ASSERT_TRUE(stream->roll_forward(1).ok());
    EXPECT_VALID(b.get());
    ASSERT_TRUE(stream->roll_forward(2).ok());
    EXPECT_EQ(describe(b.get()), seen[1]);
    EXPECT_FALSE(stream->roll_forward(1).ok());
    EXPECT_FALSE(stream->roll_back(5).ok());
    EXPECT_EQ(describe(b.get()), seen[1]);  // a refused roll changes nothing
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

}  // namespace
