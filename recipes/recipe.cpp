#include <tagtrack/recipes/recipe.h>

namespace TPI_TAGGING_TRACKING {

IRecipe::~IRecipe() = default;
const char* IRecipe::type_name() {
  return "irecipe";
}
void IRecipe::get_operation_ids(TPK::tpk_array<int>&) {}
void IRecipe::to_string(char*&) {}
void IRecipe::from_string(const char*) {}

FACE_RECIPE::FACE_RECIPE(const tag_info& tags) : m_tags(tags) {}
FACE_RECIPE::~FACE_RECIPE() = default;
const char* FACE_RECIPE::type_name() {
  return "face_recipe";
}

VERTEX_RECIPE::VERTEX_RECIPE(const tag_info& tags, const std::vector<FACE_RECIPE>& face_recipes,
                             const uv_orders& uv)
    : m_tags(tags), m_face_recipes(face_recipes), m_uv_orders(uv) {}
VERTEX_RECIPE::~VERTEX_RECIPE() = default;
const char* VERTEX_RECIPE::type_name() {
  return "vertex_recipe";
}

EDGE_RECIPE::EDGE_RECIPE(const tag_info& tags, const std::vector<FACE_RECIPE>& face_recipes,
                         const std::vector<VERTEX_RECIPE>& vertex_recipes)
    : m_tags(tags), m_face_recipes(face_recipes), m_vertex_recipes(vertex_recipes) {}
EDGE_RECIPE::~EDGE_RECIPE() = default;
const char* EDGE_RECIPE::type_name() {
  return "edge_recipe";
}

}  // namespace TPI_TAGGING_TRACKING
