#include "support/random_sequence.h"

#include <algorithm>
#include <cstdlib>

#include <tagtrack/tag_manager/internal/tag_registry.h>
#include <tagtrack/tagging_tracking.h>

#include "../../fuzz/model_file_property.h"

namespace test_support {

long from_environment(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::strtol(value, nullptr, 10) : fallback;
}

namespace {

void disarm() {
  fail_allocation_after(heap::kernel, 0);
  fail_allocation_after(heap::general, 0);
}

}  // namespace

random_sequence::random_sequence(unsigned seed, std::initializer_list<heap> heaps)
    : m_random(seed), m_heaps(heaps) {}

random_sequence::~random_sequence() {
  // The live bodies are taken first: the first deletion may free the others made ahead.
  for (BODY* b : live()) TPI_MODEL::delete_body(b);
}

void random_sequence::start() {
  m_stream->note_state();
  m_texts[m_stream->states_behind()] = snapshot();
}

std::vector<BODY*> random_sequence::live() const {
  std::vector<BODY*> out;
  for (const made& m : m_bodies) {
    if (m.body->alive()) out.push_back(m.body);
  }
  return out;
}

FACE* random_sequence::any_face() {
  const std::vector<BODY*> bodies = live();
  if (bodies.empty()) return nullptr;
  BODY* b = bodies[pick(bodies.size())];
  return b->faces().empty() ? nullptr : b->faces()[pick(b->faces().size())];
}

void random_sequence::step() {
  const std::vector<BODY*> doomed = doomed_bodies();
  const std::string before = snapshot();
  m_atomic = true;
  m_refused = false;
  m_changes_model = true;
  bool failed = false;
  if (pick(4) == 0) {
    m_changes_model = false;
    history_step();
  } else {
    if (!m_heaps.empty() && pick(8) == 0) {
      fail_allocation_after(m_heaps[pick(m_heaps.size())], 1 + static_cast<long>(pick(40)));
    }
    try {
      operation();
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    disarm();
  }
  if (m_changes_model && m_stream->states_ahead() == 0) forget(doomed);
  if ((failed || m_refused) && m_atomic) {
    EXPECT_EQ(snapshot(), before) << m_last;
  }
  check();
}

void random_sequence::history_step() {
  switch (pick(4)) {
    case 0:
    case 1:
      m_last = "note_state";
      note();
      return;
    case 2: {
      m_last = "roll_back";
      note();
      const std::size_t behind = m_stream->states_behind();
      if (behind == 0) return;
      const std::size_t count = 1 + pick(behind);
      ASSERT_TRUE(m_stream->roll_back(count).ok());
      expect_text_of(behind - count);
      return;
    }
    default: {
      m_last = "roll_forward";
      const std::size_t ahead = m_stream->states_ahead();
      if (ahead == 0) {
        if (pick(4) == 0) {
          m_last = "clear";
          // Bodies deleted or rolled away are freed by the clear: forget them first.
          m_bodies.erase(std::remove_if(m_bodies.begin(), m_bodies.end(),
                                        [](const made& m) { return !m.body->alive(); }),
                         m_bodies.end());
          m_stream->clear();
          m_texts.clear();
        }
        return;
      }
      const std::size_t count = 1 + pick(ahead);
      const std::size_t at = m_stream->states_behind() + count;
      ASSERT_TRUE(m_stream->roll_forward(count).ok());
      expect_text_of(at);
      return;
    }
  }
}

// Notes the state, keeping its model file; states that can no longer be rolled to are dropped.
void random_sequence::note() {
  const std::size_t before = m_stream->states_behind();
  const std::size_t ahead = m_stream->states_ahead();
  m_stream->note_state();
  const std::size_t now = m_stream->states_behind();
  if (now == before && ahead > 0 && m_stream->states_ahead() == ahead) return;  // nothing new
  m_texts.erase(m_texts.upper_bound(before), m_texts.end());
  m_texts[now] = snapshot();
}

void random_sequence::expect_text_of(std::size_t state) {
  const auto saved = m_texts.find(state);
  if (saved != m_texts.end()) {
    EXPECT_EQ(snapshot(), saved->second) << "state " << state;
  }
}

std::string random_sequence::snapshot() const {
  std::string text = model_text();
  for (BODY* b : live()) text += describe(b);
  return text;
}

std::string random_sequence::model_text() const {
  std::string text;
  const outcome r = TPI_FILE::save_bodies(live(), text);
  EXPECT_TRUE(r.ok()) << r.message();
  return text;
}

void random_sequence::check() {
  for (BODY* b : live()) EXPECT_VALID(b);
  for (const auto& [tags, attribs] : TPI_TAGGING_TRACKING::tag_registry::instance().entries()) {
    for (const ATTRIB_CUSTOM* a : attribs) EXPECT_TRUE(a->alive()) << "registry";
  }
  // The model file restores (in a stream of its own, which is then deleted).
  const std::string text = model_text();
  HISTORY_STREAM* scratch = nullptr;
  TPI_HISTORY::get_default(scratch, true);
  std::vector<BODY*> restored;
  const outcome r = TPI_FILE::restore_bodies(text, restored);
  EXPECT_TRUE(r.ok()) << r.message();
  std::string again;
  EXPECT_TRUE(TPI_FILE::save_bodies(restored, again).ok());
  EXPECT_EQ(again, text) << "the restored model saves to another text";
  const std::vector<BODY*> bodies = live();
  for (std::size_t i = 0; i < restored.size() && i < bodies.size(); ++i)
    EXPECT_EQ(describe(restored[i], true), describe(bodies[i], true)) << "not an exact copy";
  for (BODY* b : restored) TPI_MODEL::delete_body(b);
  // The file made to lie about itself (a huge count, a number that is not finite, a tag record
  // that disagrees with itself) is refused, and leaves nothing.
  for (const std::string& lie : crafted_lies(text)) {
    std::vector<BODY*> none;
    EXPECT_FALSE(TPI_FILE::restore_bodies(lie, none).ok()) << lie;
    EXPECT_TRUE(none.empty());
  }
  TPI_HISTORY::set_default(m_stream.get());
  TPI_HISTORY::delete_stream(scratch);
}

// The bodies made in states that have been rolled back: a change that discards the states ahead
// frees them, so they are noted while they can still be asked, and forgotten once it did.
std::vector<BODY*> random_sequence::doomed_bodies() const {
  std::vector<BODY*> doomed;
  if (m_stream->states_ahead() == 0) return doomed;
  const std::size_t behind = m_stream->states_behind();
  for (const made& m : m_bodies) {
    if (m.state > behind && !m.body->alive()) doomed.push_back(m.body);
  }
  return doomed;
}

void random_sequence::forget(const std::vector<BODY*>& freed) {
  m_bodies.erase(std::remove_if(m_bodies.begin(), m_bodies.end(),
                                [&](const made& m) {
                                  return std::find(freed.begin(), freed.end(), m.body) !=
                                         freed.end();
                                }),
                 m_bodies.end());
}

}  // namespace test_support
