// Recipes in tests: their texts, the recipes trackables make, and uv order data as plain numbers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace test_support {

// Uv order data from its seven fields in declaration order (vertex count, u rank, first u, last
// u, v rank, first v, last v), and back.
TPI_TAGGING_TRACKING::uv_order_data uv_of(const std::vector<int>& fields);
std::vector<int> fields_of(const TPI_TAGGING_TRACKING::uv_order_data& uv);

// The text save_to_string writes for the recipe, or "<null>" when it writes none.
std::string text_of(TPI_TAGGING_TRACKING::IRecipe* recipe);

// The entities the trackables wrap, in their order, repeats included; the trackables are destroyed
// and the vector emptied.
std::vector<const ENTITY*> take_entities(std::vector<TPI_TAGGING_TRACKING::ITrackable*>& found);

// What the matcher of the recipe's kind gives in `ctx`: the entities in its order, repeats
// included.
std::vector<const ENTITY*> matched(const TPI_TAGGING_TRACKING::MATCH_CONTEXT& ctx,
                                   TPI_TAGGING_TRACKING::IRecipe& recipe);

// The recipe the trackable makes in a default track context; null when it makes none.
std::unique_ptr<TPI_TAGGING_TRACKING::IRecipe> recipe_of(
    const TPI_TAGGING_TRACKING::ITrackable& trackable);

}  // namespace test_support
