// Random operation sequences against roll back: tagged models under random splits, merges, copies,
// transforms, deletions, tag edits and re-tagging, duplicate resolution, noted states, roll backs,
// roll forwards and clears, some steps with an allocation failing. After every step each body
// passes the validity check, the tag manager records only live attributes, a failed step changed
// nothing, and the model file saved restores; rolling to a noted state gives the model file saved
// then, byte for byte; when everything is deleted, the kernel heap is back where it started.
//
// TAGTRACK_SEQUENCES sets the number of sequences (default 60), TAGTRACK_STEPS their length
// (default 60) and TAGTRACK_SEED the first seed; a failure names its seed and step.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/failure_points.h"
#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
namespace TT = TPI_TAGGING_TRACKING;

namespace {

long from_environment(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::strtol(value, nullptr, 10) : fallback;
}

class sequence {
 public:
  explicit sequence(unsigned seed) : m_random(seed) {
    BODY* b = nullptr;
    TPI_BUILD::make_block(2, 1, 1, b);
    m_bodies.push_back({b, m_stream->states_behind()});
    TPI_BUILD::make_block(1, 1, 3, b);
    m_bodies.push_back({b, m_stream->states_behind()});
    for (const made& m : m_bodies) {
      BODY* body = m.body;
      for (std::size_t i = 0; i < body->faces().size(); ++i) {
        set_tags(body->faces()[i], "F" + std::to_string(i % 3) + "[" + std::to_string(i) + "]");
      }
    }
    m_stream->note_state();
    m_texts[m_stream->states_behind()] = model_text();
  }

  ~sequence() {
    // The live bodies are taken first: the first deletion may free the others made ahead.
    for (BODY* b : live()) TPI_MODEL::delete_body(b);
  }

  // One random step; false when a check failed.
  void step() {
    const std::vector<BODY*> doomed = doomed_bodies();
    const std::string before = model_text();
    const bool inject = pick(8) == 0;
    if (inject) fail_allocation_after(pick(2) == 0 ? heap::kernel : heap::general, 1 + pick(40));
    bool failed = false;
    try {
      operation();
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    disarm();
    if (m_last_changes_model && m_stream->states_ahead() == 0) forget(doomed);
    if (failed && m_last_atomic) {
      EXPECT_EQ(model_text(), before) << m_last;
    }
    check();
  }

  const std::string& last() const { return m_last; }

 private:
  static void disarm() {
    fail_allocation_after(heap::kernel, 0);
    fail_allocation_after(heap::general, 0);
  }

  std::size_t pick(std::size_t n) { return n == 0 ? 0 : m_random() % n; }

  std::vector<BODY*> live() const {
    std::vector<BODY*> out;
    for (const made& m : m_bodies) {
      if (m.body->alive()) out.push_back(m.body);
    }
    return out;
  }
  FACE* any_face() {
    const std::vector<BODY*> bodies = live();
    if (bodies.empty()) return nullptr;
    BODY* b = bodies[pick(bodies.size())];
    return b->faces().empty() ? nullptr : b->faces()[pick(b->faces().size())];
  }

  std::string model_text() const {
    std::string text;
    const outcome r = TPI_FILE::save_bodies(live(), text);
    EXPECT_TRUE(r.ok()) << r.message();
    return text;
  }

  void operation() {
    m_last_atomic = true;
    m_last_changes_model = true;
    FACE* face = any_face();
    switch (pick(16)) {
      case 0:
      case 1: {  // split a face between two of its vertices
        m_last = "split_face";
        if (face == nullptr) return;
        const std::vector<VERTEX*> v = vertices_of(face);
        EDGE* e = nullptr;
        FACE* f = nullptr;
        TPI_MODEL::split_face(face, v[pick(v.size())], v[pick(v.size())], e, f);
        return;
      }
      case 2: {  // merge a face with a neighbour
        m_last = "merge_faces";
        if (face == nullptr) return;
        const std::vector<EDGE*> edges = edges_of(face);
        const std::vector<FACE*> across = faces_of(edges[pick(edges.size())]);
        TPI_MODEL::merge_faces(face, across[pick(across.size())]);
        return;
      }
      case 3: {  // split an edge in its middle
        m_last = "split_edge";
        if (face == nullptr) return;
        const std::vector<EDGE*> edges = edges_of(face);
        EDGE* edge = edges[pick(edges.size())];
        VERTEX* v = nullptr;
        EDGE* e = nullptr;
        TPI_MODEL::split_edge(edge, edge->geometry()->eval((edge->t_start() + edge->t_end()) / 2),
                              v, e);
        return;
      }
      case 4: {  // merge the edges at a vertex
        m_last = "merge_edges";
        if (face == nullptr) return;
        const std::vector<VERTEX*> v = vertices_of(face);
        EDGE* e = nullptr;
        TPI_MODEL::merge_edges(v[pick(v.size())], e);
        return;
      }
      case 5: {
        m_last = "copy_body";
        const std::vector<BODY*> bodies = live();
        if (bodies.empty() || m_bodies.size() > 8) return;
        BODY* copy = nullptr;
        m_bodies.reserve(m_bodies.size() + 1);
        if (TPI_MODEL::copy_body(bodies[pick(bodies.size())], copy).ok()) {
          m_bodies.push_back({copy, m_stream->states_behind()});
        }
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
        m_last_atomic = false;  // two kernel operations
        tag(face, "R" + std::to_string(pick(2)));
        return;
      case 10:
        m_last = "activateTagManager";
        TT::activateTagManager(pick(4) != 0);
        return;
      case 11:
        m_last = "manageDupicateTags";
        m_last_atomic = false;  // one kernel operation per renumbered attribute
        TT::manageDupicateTags();
        return;
      case 12:
      case 13:
        m_last = "note_state";
        m_last_changes_model = false;
        disarm();  // the failures injected are for the operations above
        note();
        return;
      case 14: {
        m_last = "roll_back";
        m_last_changes_model = false;
        disarm();
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
        m_last_changes_model = false;
        disarm();
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
  void note() {
    const std::size_t before = m_stream->states_behind();
    const std::size_t ahead = m_stream->states_ahead();
    m_stream->note_state();
    const std::size_t now = m_stream->states_behind();
    if (now == before && ahead > 0 && m_stream->states_ahead() == ahead) return;  // nothing new
    m_texts.erase(m_texts.upper_bound(before), m_texts.end());
    m_texts[now] = model_text();
  }

  void expect_text_of(std::size_t state) {
    const auto saved = m_texts.find(state);
    if (saved != m_texts.end()) {
      EXPECT_EQ(model_text(), saved->second) << "state " << state;
    }
  }

  void check() {
    for (BODY* b : live()) EXPECT_VALID(b);
    for (const auto& [tags, attribs] : TT::tag_registry::instance().entries()) {
      for (const ATTRIB_CUSTOM* a : attribs) EXPECT_TRUE(a->alive()) << "registry";
    }
    // The model file restores (in a stream of its own, which is then deleted).
    const std::string text = model_text();
    HISTORY_STREAM* scratch = nullptr;
    TPI_HISTORY::get_default(scratch, true);
    std::vector<BODY*> restored;
    const outcome r = TPI_FILE::restore_bodies(text, restored);
    EXPECT_TRUE(r.ok()) << r.message();
    for (BODY* b : restored) TPI_MODEL::delete_body(b);
    TPI_HISTORY::set_default(m_stream.get());
    TPI_HISTORY::delete_stream(scratch);
  }

  std::mt19937 m_random;
  scratch_stream m_stream;
  // A body and the state it was made in (states behind, counting the open one, just after).
  struct made {
    BODY* body;
    std::size_t state;
  };
  // The bodies made in states that have been rolled back: a change that discards the states ahead
  // frees them, so they are noted while they can still be asked, and forgotten once it did.
  std::vector<BODY*> doomed_bodies() const {
    std::vector<BODY*> doomed;
    if (m_stream->states_ahead() == 0) return doomed;
    const std::size_t behind = m_stream->states_behind();
    for (const made& m : m_bodies) {
      if (m.state > behind && !m.body->alive()) doomed.push_back(m.body);
    }
    return doomed;
  }
  void forget(const std::vector<BODY*>& freed) {
    m_bodies.erase(std::remove_if(m_bodies.begin(), m_bodies.end(),
                                  [&](const made& m) {
                                    return std::find(freed.begin(), freed.end(), m.body) !=
                                           freed.end();
                                  }),
                   m_bodies.end());
  }

  std::vector<made> m_bodies;                  // every body made here, alive or not
  std::map<std::size_t, std::string> m_texts;  // model file of each noted state
  std::string m_last;
  bool m_last_atomic = true;
  bool m_last_changes_model = true;
};

TEST(RandomSequences, RollingBackGivesTheSavedModelAndEveryStepLeavesAValidModel) {
  const long count = from_environment("TAGTRACK_SEQUENCES", 60);
  const long first_seed = from_environment("TAGTRACK_SEED", 1);
  const long steps = from_environment("TAGTRACK_STEPS", 60);
  // The factory registry and the kernel's list of streams keep the room they grew once.
  TT::generic_tag_attrib_def_savres::set_savres_def(TT::generic_tag_attrib_def::name());
  { const scratch_stream warm_up; }
  const std::int64_t baseline = TPK::get_heap_counts().live_blocks;
  for (long s = first_seed; s < first_seed + count; ++s) {
    {
      tag_state_guard guard;
      sequence run(static_cast<unsigned>(s));
      for (long i = 0; i < steps; ++i) {
        run.step();
        if (HasFailure()) {
          ADD_FAILURE() << "seed " << s << ", step " << i << " (" << run.last() << ")";
          return;
        }
      }
    }
    ASSERT_EQ(TPK::get_heap_counts().live_blocks, baseline) << "seed " << s;
  }
}

}  // namespace
