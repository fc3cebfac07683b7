// A scenario: a parametric feature history, references taken on it, and edits that regenerate
// it, each with where every reference's entity must be found afterwards. The file format is
// described in docs/scenarios.md; read_scenario reads it into these values.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <tagtrack/features/entity_pick.h>
#include <tagtrack/features/feature.h>

namespace tagtrack::scenarios {

struct scenario_reference {
  std::string name, after;
  entity_type type = entity_type::face;
  point3 pick;  // the entity of that type of the `after` feature's result that holds the point
};

// Where a reference's entity is after a step: the entity holding `point`, or none.
struct expectation {
  bool lost = false;
  point3 point;
};

// One edit of the history: a feature replaced (a parameter changed), inserted, or removed.
struct change {
  enum class kind { set, insert, remove } what = kind::set;
  feature value;       // set and insert
  std::string before;  // insert: the feature it goes before
  std::string id;      // remove
};

struct scenario_step {
  std::vector<change> changes;
  std::map<std::string, expectation> expect;
  // The family of edit the step belongs to, from its changes (docs/scenarios.md): "reorder",
  // "feature inserted", "feature removed", "sketch changed", "inputs changed", "parameter change"
  // or "no change".
  std::string family;
};

struct scenario {
  std::string file, name, stands_for;
  std::vector<feature> features;  // the first build's, in order
  std::vector<scenario_reference> references;
  std::vector<scenario_step> edits;
};

}  // namespace tagtrack::scenarios
