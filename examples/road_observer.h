// What a caller may watch on the road of one reference, beside the story the road prints: the
// recipe text kept, and the model with the referenced edge before and after the edit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>

namespace demo_road {

struct road_observer {
  // The recipe text, right after the road printed it.
  std::function<void(const std::string& recipe_text)> recipe_kept;
  // The model as it stood when the edge was remembered, with that edge.
  std::function<void(BODY* model, const std::vector<const EDGE*>& edges)> before_edit;
  // The model regenerated after the edit, with the edges the recipe resolved to.
  std::function<void(BODY* model, const std::vector<const EDGE*>& edges)> after_edit;
  // The model and its edges are the road's, valid during the call only.
};

}  // namespace demo_road
