// How a naming method did on one reference in one step: the words the runner prints, writes into
// its JSON and shows on its report.
#pragma once

#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

enum class verdict {
  right,       // one entity found, the expected one
  wrong,       // one entity found, another one; or one found where the entity is gone
  ambiguous,   // several found
  lost,        // none found where an entity was expected
  right_lost,  // none found, and the entity is gone: right
  failed,      // not resolved: a feature it needs failed for this method
};

// "right", "wrong", "ambiguous", "lost", "right (lost)", "failed".
TAGTRACK_SCENARIOS_EXPORT const char* verdict_word(verdict v);

// What the report page says each word means, in one sentence.
TAGTRACK_SCENARIOS_EXPORT const char* verdict_meaning(verdict v);

inline bool is_right(verdict v) {
  return v == verdict::right || v == verdict::right_lost;
}

}  // namespace tagtrack::scenarios
