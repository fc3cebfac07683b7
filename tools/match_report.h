// A match explanation for people: as an indented report, or as JSON. Entities are shown the way
// the caller names them (a point and the tags, say), so that the report reads the model the way
// the rest of the command does.
#pragma once

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include <tagtrack/matching/match_explanation.h>

namespace tagtrack_tool {

using entity_words = std::function<std::string(ENTITY*)>;
using entity_object = std::function<nlohmann::json(ENTITY*)>;

// The verdict and its reason first, then what each stage saw, indented under it.
std::string explanation_text(const TPI_TAGGING_TRACKING::match_explanation& why,
                             const entity_words& name);

nlohmann::json explanation_json(const TPI_TAGGING_TRACKING::match_explanation& why,
                                const entity_object& object);

}  // namespace tagtrack_tool
