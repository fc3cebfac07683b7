// Recipe classification, operation ids and id rewriting through the whole recipe tree.
#include <tagtrack/recipes/recipe_queries.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace TPI_TAGGING_TRACKING {

namespace {

// Appends the ids that `recipe` gathers on a fresh array.
template <class Recipe>
void append_ids_of(Recipe& recipe, TPK::tpk_array<int>& ids) {
  TPK::tpk_array<int> own;
  recipe.get_operation_ids(own);
  ids.append(own.begin(), own.end());
}

}  // namespace

void FACE_RECIPE::get_operation_ids(TPK::tpk_array<int>& ids) {
  ids.clear();
  m_tags.collect_operation_ids(ids);
}

void FACE_RECIPE::replace_primary_id(const TPK::tpk_array<char>& old_id,
                                     const TPK::tpk_array<char>& new_id) {
  m_tags.rename_primary_id(old_id, new_id);
}

void FACE_RECIPE::replace_operation_id(int old_id, int new_id) {
  m_tags.renumber_operation_id(old_id, new_id);
}

void VERTEX_RECIPE::get_operation_ids(TPK::tpk_array<int>& ids) {
  m_tags.collect_operation_ids(ids);
  for (FACE_RECIPE& face : m_face_recipes) append_ids_of(face, ids);
}

void VERTEX_RECIPE::replace_primary_id(const TPK::tpk_array<char>& old_id,
                                       const TPK::tpk_array<char>& new_id) {
  m_tags.rename_primary_id(old_id, new_id);
  for (FACE_RECIPE& face : m_face_recipes) face.replace_primary_id(old_id, new_id);
}

void VERTEX_RECIPE::replace_operation_id(int old_id, int new_id) {
  m_tags.renumber_operation_id(old_id, new_id);
  for (FACE_RECIPE& face : m_face_recipes) face.replace_operation_id(old_id, new_id);
}

void EDGE_RECIPE::get_operation_ids(TPK::tpk_array<int>& ids) {
  m_tags.collect_operation_ids(ids);
  for (FACE_RECIPE& face : m_face_recipes) append_ids_of(face, ids);
  for (VERTEX_RECIPE& vertex : m_vertex_recipes) append_ids_of(vertex, ids);
}

void EDGE_RECIPE::replace_primary_id(const TPK::tpk_array<char>& old_id,
                                     const TPK::tpk_array<char>& new_id) {
  m_tags.rename_primary_id(old_id, new_id);
  for (FACE_RECIPE& face : m_face_recipes) face.replace_primary_id(old_id, new_id);
  for (VERTEX_RECIPE& vertex : m_vertex_recipes) vertex.replace_primary_id(old_id, new_id);
}

void EDGE_RECIPE::replace_operation_id(int old_id, int new_id) {
  m_tags.renumber_operation_id(old_id, new_id);
  for (FACE_RECIPE& face : m_face_recipes) face.replace_operation_id(old_id, new_id);
  for (VERTEX_RECIPE& vertex : m_vertex_recipes) vertex.replace_operation_id(old_id, new_id);
}

bool is_face_recipe(IRecipe* recipe) {
  return dynamic_cast<FACE_RECIPE*>(recipe) != nullptr;
}
bool is_edge_recipe(IRecipe* recipe) {
  return dynamic_cast<EDGE_RECIPE*>(recipe) != nullptr;
}
bool is_vertex_recipe(IRecipe* recipe) {
  return dynamic_cast<VERTEX_RECIPE*>(recipe) != nullptr;
}

void update_primary_id(IRecipe* recipe, const char* old_id, const char* new_id) {
  const TPK::tpk_array<char> from(old_id, std::strlen(old_id));
  const TPK::tpk_array<char> to(new_id, std::strlen(new_id));
  recipe->replace_primary_id(from, to);
}

void update_operation_id(IRecipe* recipe, int old_id, int new_id) {
  recipe->replace_operation_id(old_id, new_id);
}

bool get_operation_ids_from_recipe(IRecipe* recipe, TPK::tpk_array<int>& ids) {
  if (recipe == nullptr) return false;
  TPK::tpk_array<int> gathered;
  recipe->get_operation_ids(gathered);
  std::sort(gathered.begin(), gathered.end());
  int* last = std::unique(gathered.begin(), gathered.end());
  ids.resize(static_cast<std::size_t>(last - gathered.begin()));
  std::copy(gathered.begin(), last, ids.begin());
  return true;
}

}  // namespace TPI_TAGGING_TRACKING
