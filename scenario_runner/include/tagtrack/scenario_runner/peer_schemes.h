// The ways of naming the scenario runner scores beside the library's tags and recipes: Open
// CASCADE's own naming (TNaming), recorded as its modelling drivers record a feature's result,
// and index naming (an entity's number in TopExp::MapShapes order of its feature's result).
#pragma once

#include <memory>

#include <tagtrack/features/naming_scheme.h>
#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

TAGTRACK_SCENARIOS_EXPORT std::unique_ptr<naming_scheme> make_tnaming_scheme();
TAGTRACK_SCENARIOS_EXPORT std::unique_ptr<naming_scheme> make_index_scheme();

}  // namespace tagtrack::scenarios
