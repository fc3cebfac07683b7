#include "support/recipes.h"

namespace test_support {

using TPI_TAGGING_TRACKING::IRecipe;
using TPI_TAGGING_TRACKING::uv_order_data;

uv_order_data uv_of(const std::vector<int>& fields) {
  uv_order_data uv;
  std::int32_t* targets[] = {&uv.m_num_vertices, &uv.m_u_rank,  &uv.m_u_first, &uv.m_u_last,
                             &uv.m_v_rank,       &uv.m_v_first, &uv.m_v_last};
  for (std::size_t i = 0; i < fields.size() && i < 7; ++i) *targets[i] = fields[i];
  return uv;
}

std::vector<int> fields_of(const uv_order_data& uv) {
  return {uv.m_num_vertices, uv.m_u_rank,  uv.m_u_first, uv.m_u_last,
          uv.m_v_rank,       uv.m_v_first, uv.m_v_last};
}

std::string text_of(IRecipe* recipe) {
  char* text = nullptr;
  TPI_TAGGING_TRACKING::save_to_string(text, recipe);
  const std::string result = text != nullptr ? text : "<null>";
  delete[] text;
  return result;
}

std::vector<const ENTITY*> take_entities(std::vector<TPI_TAGGING_TRACKING::ITrackable*>& found) {
  namespace TT = TPI_TAGGING_TRACKING;
  std::vector<const ENTITY*> entities;
  for (TT::ITrackable* t : found) {
    const std::unique_ptr<TT::ITrackable> owned(t);
    if (FACE* f = TT::face_of(t)) entities.push_back(f);
    if (EDGE* e = TT::edge_of(t)) entities.push_back(e);
    if (VERTEX* v = TT::vertex_of(t)) entities.push_back(v);
  }
  found.clear();
  return entities;
}

std::unique_ptr<IRecipe> recipe_of(const TPI_TAGGING_TRACKING::ITrackable& trackable) {
  return TPI_TAGGING_TRACKING::make_recipe(trackable);
}

std::vector<const ENTITY*> matched(const TPI_TAGGING_TRACKING::MATCH_CONTEXT& ctx,
                                   IRecipe& recipe) {
  std::vector<TPI_TAGGING_TRACKING::ITrackable*> results;
  std::unique_ptr<TPI_TAGGING_TRACKING::ITracker>(recipe.create_tracker())
      ->match(ctx, &recipe, results);
  return take_entities(results);
}

}  // namespace test_support
