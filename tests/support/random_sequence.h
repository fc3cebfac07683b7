// Random operation sequences against roll back. A sequence owns a history stream and the bodies it
// makes; a derived sequence supplies the operations that change the model, this class the noted
// states, roll backs, roll forwards and clears, the injected allocation failures and the checks.
// After every step each body passes the validity check, the tag manager records only live
// attributes, a failed atomic step changed nothing (the same entity objects, links and file), and
// the model file saved restores into exact copies, alike in every list and link, that save to the
// same text, and every lie crafted from it is refused; rolling to a noted state
// gives the same entity objects, links, tags and model file as then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

#include "support/failure_points.h"
#include "support/models.h"
#include "support/tags.h"

namespace test_support {

// The number in the environment variable `name`, or `fallback` when it is not set.
long from_environment(const char* name, long fallback);

class random_sequence {
 public:
  // Steps inject a failing allocation now and then, on one of `heaps`.
  random_sequence(unsigned seed, std::initializer_list<heap> heaps);
  random_sequence(const random_sequence&) = delete;
  random_sequence& operator=(const random_sequence&) = delete;
  virtual ~random_sequence();

  // One random step: an operation of the derived sequence or, one time in four, a step of the
  // history.
  void step();
  // The name of the last step, for the message of a failure.
  const std::string& last() const { return m_last; }

 protected:
  // Records a body the sequence made (room for it is reserved first, see reserve_body), so that
  // it is checked while alive and deleted at the end.
  void reserve_body() { m_bodies.reserve(m_bodies.size() + 1); }
  void add_body(BODY* body) { m_bodies.push_back({body, m_stream->states_behind()}); }
  // Notes the first state, once the derived sequence has made and tagged its bodies.
  void start();

  std::size_t pick(std::size_t n) { return n == 0 ? 0 : m_random() % n; }
  std::vector<BODY*> live() const;
  std::size_t body_count() const { return m_bodies.size(); }
  // A face of a live body chosen at random; null when there is none.
  FACE* any_face();

  // The operation one step takes: it names itself in m_last, says whether it is one kernel
  // operation (so that a failure must change nothing) in m_atomic, and notes a refusal in
  // m_refused (a refused atomic operation must change nothing either).
  virtual void operation() = 0;
  void note_refusal(const outcome& result) { m_refused = !result.ok(); }

  std::string m_last;
  bool m_atomic = true;
  bool m_refused = false;

 private:
  void history_step();
  void note();
  void expect_text_of(std::size_t state);
  std::string model_text() const;
  // The model file and the description of the live bodies, addresses included: equal snapshots
  // mean the same entity objects with the same links, geometry, tags and file.
  std::string snapshot() const;
  void check();

  // A body and the state it was made in (states behind, counting the open one, just after).
  struct made {
    BODY* body;
    std::size_t state;
  };
  std::vector<BODY*> doomed_bodies() const;
  void forget(const std::vector<BODY*>& freed);

  std::mt19937 m_random;
  std::vector<heap> m_heaps;
  scratch_stream m_stream;
  std::vector<made> m_bodies;                  // every body made here, alive or not
  std::map<std::size_t, std::string> m_texts;  // snapshot of each noted state
  bool m_changes_model = true;
};

// Runs `count` sequences of `steps` steps seeded from `first_seed` on; a failure names its seed
// and step. When a sequence and its stream are gone, the kernel heap must be back where it started.
template <class Sequence>
void run_random_sequences_from(long first_seed, long count, long steps) {
  // The factory registry and the kernel's list of streams keep the room they grew once.
  TPI_TAGGING_TRACKING::generic_tag_attrib_def_savres::set_savres_def(
      TPI_TAGGING_TRACKING::generic_tag_attrib_def::name());
  { const scratch_stream warm_up; }
  const std::int64_t baseline = TPK::get_heap_counts().live_blocks;
  for (long s = first_seed; s < first_seed + count; ++s) {
    {
      tag_state_guard guard;
      Sequence run(static_cast<unsigned>(s));
      for (long i = 0; i < steps; ++i) {
        run.step();
        if (testing::Test::HasFailure()) {
          ADD_FAILURE() << "seed " << s << ", step " << i << " (" << run.last() << ")";
          return;
        }
      }
    }
    ASSERT_EQ(TPK::get_heap_counts().live_blocks, baseline) << "seed " << s;
  }
}

// The same with TAGTRACK_SEQUENCES sequences (default `count`) of TAGTRACK_STEPS steps (default
// `steps`), seeded from TAGTRACK_SEED (default 1) on.
template <class Sequence>
void run_random_sequences(long count, long steps) {
  run_random_sequences_from<Sequence>(from_environment("TAGTRACK_SEED", 1),
                                      from_environment("TAGTRACK_SEQUENCES", count),
                                      from_environment("TAGTRACK_STEPS", steps));
}

}  // namespace test_support
