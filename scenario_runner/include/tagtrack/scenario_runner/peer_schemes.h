// The ways of naming the scenario runner scores beside the library's tags and recipes: Open
// CASCADE's own naming (TNaming), recorded as its modelling drivers record a feature's result,
// index naming (an entity's number in TopExp::MapShapes order of its feature's result), and
// FreeCAD 1.0's element maps (mapped names that spell each element's history).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <tagtrack/features/naming_scheme.h>
#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

TAGTRACK_SCENARIOS_EXPORT std::unique_ptr<naming_scheme> make_tnaming_scheme();
TAGTRACK_SCENARIOS_EXPORT std::unique_ptr<naming_scheme> make_index_scheme();
TAGTRACK_SCENARIOS_EXPORT std::unique_ptr<naming_scheme> make_elementmap_scheme();
// The mapped names of the last result of feature `id` (faces, edges, vertices, each by number),
// for a scheme make_elementmap_scheme made; empty for any other scheme.
TAGTRACK_SCENARIOS_EXPORT std::vector<std::string> element_map_names(const naming_scheme& scheme,
                                                                     const std::string& id);

}  // namespace tagtrack::scenarios
